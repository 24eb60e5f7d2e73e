#include "platform/x11/X11InputSource.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "counting/AccountState.h"
#include "counting/KeyFrequencyTable.h"
#include "counting/Preferences.h"
#include "counting/RawInputCounter.h"
#include "platform/x11/XServerTest.h"
#include "support/RecordingPorts.h"

// Xlib last: its macros (None, Bool, KeyPress, ...) would clash with the names above.
#include <X11/Xlib.h>

namespace {

using Events = std::vector<std::string>;

using X11InputSourceTest = X11InputSourceTestBase;

TEST_F(X11InputSourceTest, AKeyArrivesAsOnePressAndOneRelease) {
    EXPECT_EQ(After({"key", "a"}), (Events{"key 0x41 down", "key 0x41 up"}));
}

TEST_F(X11InputSourceTest, KeysArriveWithTheirVirtualKeyCodes) {
    const struct {
        const char* keysym;
        const char* code;
        bool modifier;  // pressed by keycode (see Keycode)
    } cases[] = {
        {"Shift_L", "0xA0", true},    {"Shift_R", "0xA1", true}, {"Control_L", "0xA2", true},
        {"Control_R", "0xA3", true},  {"Alt_L", "0xA4", true},   {"Alt_R", "0xA5", true},
        {"Super_L", "0x5B", true},    {"Super_R", "0x5C", true}, {"Return", "0x0D", false},
        {"KP_Enter", "0x0D", false},  {"equal", "0xBB", false},  {"Escape", "0x1B", false},
        {"BackSpace", "0x08", false}, {"space", "0x20", false},  {"7", "0x37", false},
        {"F1", "0x70", false},
    };
    std::vector<std::string> keys = {"key"};
    Events expected;
    for (const auto& c : cases) {
        keys.push_back(c.modifier ? Keycode(c.keysym) : c.keysym);
        expected.push_back(std::string("key ") + c.code + " down");
        expected.push_back(std::string("key ") + c.code + " up");
    }
    EXPECT_EQ(After(keys), expected);
}

TEST_F(X11InputSourceTest, KeypadKeysFollowNumLockInEventOrder) {
    // The NumLock changes and the keypad keys are all waiting when they are dispatched: each key
    // still gets the state it was pressed in.
    const std::string numLock = Keycode("Num_Lock");
    EXPECT_EQ(After({"key", "KP_End", numLock, "KP_End", "KP_Delete", numLock, "KP_Delete"}),
              (Events{"key 0x23 down", "key 0x23 up", "key 0x90 down", "key 0x90 up",
                      "key 0x61 down", "key 0x61 up", "key 0x6E down", "key 0x6E up",
                      "key 0x90 down", "key 0x90 up", "key 0x2E down", "key 0x2E up"}));
}

TEST_F(X11InputSourceTest, ALayoutChosenWhileCountingTakesEffectAtOnce) {
    UseLayout("de");
    // ß (the key right of 0) and ü (right of P) by their keycodes.
    EXPECT_EQ(After({"key", "20", "34"}),
              (Events{"key 0xBF down", "key 0xBF up", "key 0xDB down", "key 0xDB up"}));
    UseLayout("ru");
    EXPECT_EQ(After({"key", "24"}), (Events{"key 0x51 down", "key 0x51 up"}));  // Cyrillic Й
}

TEST_F(X11InputSourceTest, ButtonsArriveAsWindowsButtonBitsAndTheWheelIsNoClick) {
    EXPECT_EQ(After({"click", "1", "click", "2", "click", "3", "click", "4", "click", "5", "click",
                     "6", "click", "7", "click", "8", "click", "9"}),
              (Events{"buttons 0x0001", "buttons 0x0002",     // left
                      "buttons 0x0010", "buttons 0x0020",     // middle
                      "buttons 0x0004", "buttons 0x0008",     // right
                      "buttons 0x0040", "buttons 0x0080",     // back
                      "buttons 0x0100", "buttons 0x0200"}));  // forward
}

TEST_F(X11InputSourceTest, InputStillArrivesWhileAnotherProgramGrabsTheKeyboard) {
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(XGrabKeyboard(other, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync,
                            CurrentTime),
              GrabSuccess);
    XSync(other, False);

    EXPECT_EQ(After({"key", "b", "click", "1"}),
              (Events{"key 0x42 down", "key 0x42 up", "buttons 0x0001", "buttons 0x0002"}));
    XCloseDisplay(other);
}

TEST_F(X11InputSourceTest, KeyStateTellsWhichSideOfAModifierIsHeld) {
    KeyStatePort& keys = source->KeyState();
    EXPECT_FALSE(keys.IsKeyDown(0x10));

    Xdotool({"keydown", Keycode("Shift_R")});
    EXPECT_TRUE(keys.IsKeyDown(0xA1));
    EXPECT_TRUE(keys.IsKeyDown(0x10));
    EXPECT_FALSE(keys.IsKeyDown(0xA0));
    EXPECT_FALSE(keys.IsKeyDown(0x11));

    Xdotool({"keyup", Keycode("Shift_R"), "keydown", Keycode("Control_L")});
    EXPECT_FALSE(keys.IsKeyDown(0xA1));
    EXPECT_TRUE(keys.IsKeyDown(0xA2));
    EXPECT_TRUE(keys.IsKeyDown(0x11));
    Xdotool({"keyup", Keycode("Control_L")});
    EXPECT_FALSE(keys.IsKeyDown(0x11));
}

TEST_F(X11InputSourceTest, TypingIsCountedByTheCounter) {
    AccountState account = AccountState::StartValues();
    Preferences preferences;
    KeyFrequencyTable frequencies;
    frequencies.FillKeyNames();
    RecordingTray tray;
    RecordingSkeldRequests skelds;
    RawInputCounter counter(account, preferences, frequencies, tray, skelds, source->KeyState());

    const std::string shift = Keycode("Shift_L");
    Xdotool({"key", "k", "keydown", shift, "key", "z", "keyup", shift, "key", "KP_Enter", "click",
             "3"});
    Xdotool({"key", "F12"});
    std::string error;
    const auto count = [&](const RawInput& input) { counter.OnRawInput(input); };
    while (frequencies.Entries().count(0x7B) == 0) {
        pollfd readable = {source->FileDescriptor(), POLLIN, 0};
        ASSERT_TRUE(source->Dispatch(count, {}, &error)) << error;
        if (frequencies.Entries().count(0x7B) == 0) {
            ASSERT_GT(poll(&readable, 1, 20'000), 0) << "the input stopped";
        }
    }

    EXPECT_EQ(account.GetUnsentKeys(), 5);  // k, Shift, Z, Enter and the F12 marker
    EXPECT_EQ(account.GetUnsentClicks(), 1);
    for (const char* name : {"K", "Z", "Left shift", "Enter"}) {
        bool found = false;
        for (const auto& [code, count] : frequencies.Entries()) {
            found = found || (frequencies.KeyName(code) == name && count == 1);
        }
        EXPECT_TRUE(found) << name;
    }
}

TEST_F(X11InputSourceTest, AHandlerMayDispatchAgainAsAModalLoopWould) {
    Xdotool({"key", "a", "b", "c", "F12"});
    Events delivered;
    std::function<void(const RawInput&)> onInput = [&](const RawInput& input) {
        delivered.push_back(Describe(input));
        if (delivered.size() == 1) {
            source->Dispatch(onInput, {});  // what a message box shown while counting does
        }
    };
    while (delivered.empty() || delivered.back() != "key 0x7B up") {
        ASSERT_TRUE(source->Dispatch(onInput, {}));
        pollfd readable = {source->FileDescriptor(), POLLIN, 0};
        if (delivered.empty() || delivered.back() != "key 0x7B up") {
            ASSERT_GT(poll(&readable, 1, 20'000), 0) << "the input stopped";
        }
    }
    EXPECT_EQ(delivered, (Events{"key 0x41 down", "key 0x41 up", "key 0x42 down", "key 0x42 up",
                                 "key 0x43 down", "key 0x43 up", "key 0x7B down", "key 0x7B up"}));
}

TEST_F(X11InputSourceTest, ALostServerIsReportedNotFatal) {
    ASSERT_TRUE(source->RegisterHotKey());  // its connection is lost too
    server.Stop();
    std::string error;
    pollfd readable = {source->FileDescriptor(), POLLIN, 0};
    ASSERT_GT(poll(&readable, 1, 20'000), 0);

    EXPECT_FALSE(source->Dispatch([](const RawInput&) {}, {}, &error));
    EXPECT_NE(error.find("was lost; Kestrovin no longer counts input."), std::string::npos)
        << error;
    EXPECT_FALSE(source->Dispatch([](const RawInput&) {}, {}));
    EXPECT_FALSE(source->RegisterHotKey());
    source->UnregisterHotKey();
    source.reset();  // closing the dead connection is harmless too
}

TEST(X11InputSourceOpenTest, AMissingDisplayIsDescribed) {
    std::string error;
    EXPECT_EQ(X11InputSource::Open(":65000", &error), nullptr);
    EXPECT_EQ(error, "Cannot connect to the X display \":65000\". Kestrovin cannot count input.");

    ScopedEnvironment environment;
    environment.Unset("DISPLAY");
    EXPECT_EQ(X11InputSource::Open({}, &error), nullptr);
    EXPECT_EQ(error, "No X display is set (DISPLAY is empty). Kestrovin cannot count input.");
}

}  // namespace
