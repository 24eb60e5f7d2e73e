#include "platform/x11/XkbStateSelection.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QWindow>

#include <functional>
#include <string>
#include <vector>

#include "platform/x11/XServerTest.h"

// Xlib last: its macros would clash with the names above.
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

// Qt's xcb platform opens a D-Bus connection of its own, whose buffers libdbus keeps for the
// rest of the process; LeakSanitizer would report them at exit in the sanitizer build. The
// desktop program's tests suppress the same system libraries.
extern "C" const char* __lsan_default_suppressions() {  // NOLINT(bugprone-reserved-identifier)
    return "leak:libdbus-1.so\nleak:libQt6DBus.so\n";
}

namespace {

// What a connection that follows the keyboard state as Qt's does is told: the `changed` parts
// of every XKB StateNotify it receives.
class XkbStateSelectionTest : public XServerTest {
protected:
    void SetUp() override {
        XServerTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        watcher_ = XOpenDisplay(nullptr);
        driver_ = XOpenDisplay(nullptr);
        ASSERT_NE(watcher_, nullptr);
        ASSERT_NE(driver_, nullptr);
        int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
        ASSERT_TRUE(XkbQueryExtension(watcher_, &opcode, &xkbEvent_, &error, &major, &minor));
        // Qt's own selection: StateNotify with every detail.
        ASSERT_TRUE(
            XkbSelectEvents(watcher_, XkbUseCoreKbd, XkbStateNotifyMask, XkbStateNotifyMask));
        XSync(watcher_, False);
    }

    void TearDown() override {
        if (driver_ != nullptr) {
            XCloseDisplay(driver_);
        }
        if (watcher_ != nullptr) {
            XCloseDisplay(watcher_);
        }
    }

    // The parts changed in each StateNotify the watcher gets for `act`, up to an end marker (a
    // Caps Lock locked and unlocked by another connection).
    std::vector<unsigned> ChangesAfter(const std::function<void()>& act) {
        act();
        XkbLockModifiers(driver_, XkbUseCoreKbd, LockMask, LockMask);
        XkbLockModifiers(driver_, XkbUseCoreKbd, LockMask, 0);
        XSync(driver_, False);
        std::vector<unsigned> changes;
        bool locked = false;
        for (XkbStateNotifyEvent state; NextState(state);) {
            if ((state.changed & XkbModifierLockMask) != 0 && (state.locked_mods & LockMask) != 0) {
                locked = true;
            } else if (locked && (state.changed & XkbModifierLockMask) != 0) {
                return changes;
            } else if (!locked) {
                changes.push_back(state.changed);
            }
        }
        ADD_FAILURE() << "the end marker did not arrive";
        return changes;
    }

    Display* watcher_ = nullptr;
    Display* driver_ = nullptr;

private:
    bool NextState(XkbStateNotifyEvent& state) {
        while (true) {
            if (XPending(watcher_) == 0) {
                pollfd readable = {ConnectionNumber(watcher_), POLLIN, 0};
                if (poll(&readable, 1, 10000) <= 0) {
                    return false;
                }
                continue;
            }
            XkbEvent event;
            XNextEvent(watcher_, &event.core);
            if (event.type == xkbEvent_ && event.any.xkb_type == XkbStateNotify) {
                state = event.state;
                return true;
            }
        }
    }

    int xkbEvent_ = 0;
};

TEST_F(XkbStateSelectionTest, EveryStateDetailMeansAnEventForEveryButtonChange) {
    const std::vector<unsigned> changes = ChangesAfter([&] { Xdotool({"click", "1"}); });
    // The press and the release, each once for the device and once for the core pointer.
    EXPECT_EQ(changes.size(), 4u);
    for (const unsigned changed : changes) {
        EXPECT_EQ(changed, static_cast<unsigned>(XkbPointerButtonMask));
    }
}

TEST_F(XkbStateSelectionTest, OnlyTheTypingPartsArriveOnceNarrowed) {
    UseLayout("us,de");
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(XkbStateSelection::KeepTypingPartsOnly(watcher_));

    EXPECT_EQ(ChangesAfter([&] {
                  Xdotool({"click", "1", "click", "3"});
              }),
              std::vector<unsigned>{})
        << "clicks still wake the connection";

    // Shift down and up: the base modifiers, each time.
    const std::vector<unsigned> shift = ChangesAfter([&] { Xdotool({"key", Keycode("Shift_L")}); });
    ASSERT_EQ(shift.size(), 2u);
    for (const unsigned changed : shift) {
        EXPECT_NE(changed & XkbModifierBaseMask, 0u);
    }

    // A switch to the second layout and back: the locked group.
    const std::vector<unsigned> group = ChangesAfter([&] {
        XkbLockGroup(driver_, XkbUseCoreKbd, 1);
        XkbLockGroup(driver_, XkbUseCoreKbd, 0);
        XSync(driver_, False);
    });
    ASSERT_EQ(group.size(), 2u);
    for (const unsigned changed : group) {
        EXPECT_NE(changed & XkbGroupLockMask, 0u);
    }
}

// Typing into the program's own windows after the narrowing: Shift still makes capitals and a
// switch to the second layout still changes what a key types (y and z trade places in "de").
TEST_F(XkbStateSelectionTest, QtWindowsStillTypeShiftedAndInTheSecondLayout) {
    UseLayout("us,de");
    ASSERT_FALSE(HasFatalFailure());
    environment.Set("QT_QPA_PLATFORM", "xcb");
    int argc = 1;
    char name[] = "kestrovin_x11_tests";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_NE(x11, nullptr);
    ASSERT_TRUE(XkbStateSelection::KeepTypingPartsOnly(x11->display()));

    QLineEdit edit;
    edit.show();
    const auto waitFor = [&](const std::function<bool()>& done) {
        const QDeadlineTimer deadline(10000);
        while (!done() && !deadline.hasExpired()) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return done();
    };
    ASSERT_TRUE(waitFor([&] { return edit.isVisible() && edit.windowHandle()->isExposed(); }));
    const std::string window = std::to_string(edit.winId());
    Xdotool({"windowfocus", "--sync", window});
    ASSERT_TRUE(waitFor([&] { return edit.hasFocus() && edit.isActiveWindow(); }));

    const std::string shift = Keycode("Shift_L");
    const std::string y = Keycode("y");
    Xdotool({"key", Keycode("a"), "keydown", shift, "key", Keycode("b"), "keyup", shift});
    // Straight through XTest: xdotool would pick the group that has the key's symbol itself.
    XkbLockGroup(driver_, XkbUseCoreKbd, 1);
    const auto keycode = static_cast<unsigned>(std::stoul(y));
    XTestFakeKeyEvent(driver_, keycode, True, CurrentTime);
    XTestFakeKeyEvent(driver_, keycode, False, CurrentTime);
    XSync(driver_, False);
    EXPECT_TRUE(waitFor([&] { return edit.text() == QStringLiteral("aBz"); }))
        << edit.text().toStdString();
}

}  // namespace
