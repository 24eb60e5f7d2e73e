#pragma once

#include <QDialog>
#include <QFont>
#include <QPoint>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "geek/GeekPicture.h"
#include "geek/GeekSkin.h"

struct AppRecord;

// The Geek Window: a small always-on-top tool window that shows the live counters. It keeps
// the colours, transparency and next-skeld flag it found when it opened, reads the text
// positions live, and remembers where the user moved it. Enter, Escape and the close box
// close it; the rest of the program stays usable while it is open.
class CGeekDlg final : public QDialog {
    Q_OBJECT

public:
    static constexpr int RefreshMs = 100;
    static constexpr int PositionSampleMs = 5000;

    CGeekDlg(AppRecord& record, std::function<std::int32_t()> secondsTilSkeld,
             QWidget* parent = nullptr);

    // Opens a Geek Window unless `open` says one is open; `open` stays set until that window
    // is gone, however it closes. Null when none was opened. The window deletes itself.
    static CGeekDlg* OpenOnce(bool& open, AppRecord& record,
                              std::function<std::int32_t()> secondsTilSkeld);

    // The refresh: repaints only when the picture has changed. Public for tests.
    void Refresh();
    // Stores where the window is into GeekLastX and GeekLastY.
    void SamplePosition();

    const GeekPicture& Shown() const { return shown_; }
    const GeekSkin::Transparency& Transparency() const { return transparency_; }
    const QFont& TextFont() const { return font_; }
    // How many times the window has been painted.
    int PaintCount() const { return paints_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateColourKeyMask(const QImage& picture);

    AppRecord& record_;
    const std::function<std::int32_t()> secondsTilSkeld_;
    const bool showNextSkeld_;
    const GeekSkin::Transparency transparency_;
    const QColor background_;
    const QColor labelColour_;
    const QColor valueColour_;
    const QFont font_;
    GeekPicture shown_;
    QTimer refreshTimer_;
    QTimer positionTimer_;
    int paints_ = 0;
    QPoint openedAt_;  // where it opened, on the screen
};
