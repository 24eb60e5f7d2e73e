// The splash window through its widget on Qt's offscreen platform.
#include "desktop/dialogs/SplashWnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <functional>

#include "support/DialogScreenshot.h"

namespace {

// A window of the program that counts the presses that reach it.
class PressRecorder final : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void keyPressEvent(QKeyEvent*) override { ++presses; }
};

class SplashWndTest : public testing::Test {
protected:
    SplashWndTest() { CSplashWnd::EnableSplashScreen(true); }
    ~SplashWndTest() override {
        if (CSplashWnd* splash = CSplashWnd::Current()) {
            splash->HideSplashScreen();
        }
        CSplashWnd::EnableSplashScreen(false);
        DeleteHidden();
    }
    // A hidden splash is deleted by the event loop; the tests run none.
    static void DeleteHidden() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(SplashWndTest, ShowsItsPictureCentredUntilItsTimeIsUp) {
    CSplashWnd::ShowSplashScreen();
    const QPointer<CSplashWnd> splash = CSplashWnd::Current();
    ASSERT_FALSE(splash.isNull());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->size(), QSize(292, 98));
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash->geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    // The picture as it is, where a pixel is a pixel (a large font scales the whole screen).
    const QImage shown = splash->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.devicePixelRatio() == 1.0) {
        EXPECT_EQ(shown, QImage(CSplashWnd::PicturePath).convertToFormat(QImage::Format_RGB32));
    }
    EXPECT_TRUE(SaveDialogScreenshot(*splash, "splash"));

    // A second showing call while it shows makes no second window.
    CSplashWnd::ShowSplashScreen();
    EXPECT_EQ(CSplashWnd::Current(), splash);

    EXPECT_TRUE(splash->Timer().isActive());
    EXPECT_TRUE(splash->Timer().isSingleShot());
    EXPECT_EQ(splash->Timer().interval(), 2500);
    // The time is up.
    QMetaObject::invokeMethod(&splash->Timer(), "timeout");
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_FALSE(splash->isVisible());
    DeleteHidden();
    EXPECT_TRUE(splash.isNull());

    // Gone, it may be shown again.
    CSplashWnd::ShowSplashScreen();
    EXPECT_NE(CSplashWnd::Current(), nullptr);
}

TEST_F(SplashWndTest, ShowsNothingWhenDisabled) {
    CSplashWnd::EnableSplashScreen(false);
    CSplashWnd::ShowSplashScreen();
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
}

TEST_F(SplashWndTest, TheFirstPressAnywhereOnlyRemovesIt) {
    PressRecorder window;
    window.resize(200, 100);
    window.show();
    struct Case {
        const char* Name;
        std::function<void()> Press;
    };
    const Case cases[] = {
        {"left button", [&] { QTest::mouseClick(&window, Qt::LeftButton); }},
        {"right button", [&] { QTest::mouseClick(&window, Qt::RightButton); }},
        {"middle button", [&] { QTest::mouseClick(&window, Qt::MiddleButton); }},
        {"key", [&] { QTest::keyClick(&window, Qt::Key_A); }},
        {"Alt", [&] { QTest::keyClick(&window, Qt::Key_Alt); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        window.presses = 0;
        CSplashWnd::ShowSplashScreen();
        ASSERT_NE(CSplashWnd::Current(), nullptr);
        // Moving the mouse or letting go of a button is no press.
        QTest::mouseMove(&window, QPoint(20, 20));
        QTest::mouseRelease(&window, Qt::LeftButton);
        ASSERT_NE(CSplashWnd::Current(), nullptr);

        c.Press();
        EXPECT_EQ(CSplashWnd::Current(), nullptr);
        EXPECT_EQ(window.presses, 0) << "the press went on to the window";
        c.Press();
        EXPECT_EQ(window.presses, 1) << "the next press did not reach the window";
        DeleteHidden();
    }
}

}  // namespace
