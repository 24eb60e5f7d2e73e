#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

// The picture shown for a moment while the program starts. There is at most one at a time. It
// goes when its timer ends or at the first key or mouse press anywhere in the program; that
// press only removes it and reaches nothing else.
class CSplashWnd final : public QWidget {
    Q_OBJECT

public:
    static constexpr int DurationMs = 2500;
    static constexpr const char* PicturePath = ":/pictures/splash.png";

    ~CSplashWnd() override;

    // Start-up sets this from the preference ShowSplash.
    static void EnableSplashScreen(bool enable);
    // Shows the splash, drawn at once, unless it is disabled or one is already showing. A
    // picture that cannot be loaded means no splash, without a word.
    static void ShowSplashScreen(QWidget* parent = nullptr);
    // The splash on screen, or nullptr.
    static CSplashWnd* Current();

    // Takes the splash off the screen; the object goes at the next turn of the event loop.
    void HideSplashScreen();
    // Ends it as if the time were up (its timer, for tests that should not wait).
    QTimer& Timer() { return timer_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Sees every event the program is about to handle, before its receiver does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CSplashWnd(QPixmap picture, QWidget* parent);

    QPixmap picture_;
    QTimer timer_;

    static inline bool enabled_ = false;
    static inline CSplashWnd* current_ = nullptr;
};
