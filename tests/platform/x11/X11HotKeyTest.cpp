#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/x11/X11InputSource.h"
#include "platform/x11/XServerTest.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

using Events = std::vector<std::string>;

class X11HotKeyTest : public X11InputSourceTestBase {
protected:
    // The hot keys delivered after these xdotool arguments.
    Events HotKeysAfter(std::vector<std::string> xdotool) {
        Events hotKeys;
        for (const std::string& event : After(std::move(xdotool))) {
            if (event.rfind("hot key", 0) == 0) {
                hotKeys.push_back(event);
            }
        }
        return hotKeys;
    }
};

TEST_F(X11HotKeyTest, AltCtrlPArrivesAsHotKey100WithItsKeysStillCounted) {
    std::string error;
    ASSERT_TRUE(source->RegisterHotKey(&error)) << error;
    const std::string control = Keycode("Control_L"), alt = Keycode("Alt_L");
    Xdotool({"keydown", control, "keydown", alt, "key", "p", "keyup", alt, "keyup", control});
    Events keys, hotKeys;
    for (const std::string& event : DeliveredUntilMarker(*source)) {
        (event.rfind("hot key", 0) == 0 ? hotKeys : keys).push_back(event);
    }
    EXPECT_EQ(hotKeys, Events{"hot key 100"});
    // The grab keeps the keys from the focused program, not from the count.
    EXPECT_EQ(keys, (Events{"key 0xA2 down", "key 0xA4 down", "key 0x50 down", "key 0x50 up",
                            "key 0xA4 up", "key 0xA2 up"}));
}

TEST_F(X11HotKeyTest, TheHotKeyWorksWhateverTheStateOfNumLockAndCapsLock) {
    ASSERT_TRUE(source->RegisterHotKey());
    const std::string numLock = Keycode("Num_Lock"), capsLock = Keycode("Caps_Lock");
    const std::vector<std::vector<std::string>> locks = {
        {}, {numLock}, {capsLock}, {numLock, capsLock}};
    for (const auto& lock : locks) {
        std::vector<std::string> keys = {"key"};
        keys.insert(keys.end(), lock.begin(), lock.end());
        keys.push_back("ctrl+alt+p");
        keys.insert(keys.end(), lock.begin(), lock.end());  // and off again
        EXPECT_EQ(HotKeysAfter(keys), Events{"hot key 100"}) << testing::PrintToString(lock);
    }
}

TEST_F(X11HotKeyTest, OtherCombinationsAndAnUnregisteredHotKeyDeliverNothing) {
    EXPECT_EQ(HotKeysAfter({"key", "ctrl+alt+p"}), Events{});
    ASSERT_TRUE(source->RegisterHotKey());
    ASSERT_TRUE(source->RegisterHotKey());  // registering twice changes nothing
    EXPECT_EQ(HotKeysAfter({"key", "p", "ctrl+p", "alt+p", "ctrl+alt+shift+p", "ctrl+alt+o"}),
              Events{});

    source->UnregisterHotKey();
    EXPECT_EQ(HotKeysAfter({"key", "ctrl+alt+p"}), Events{});
    ASSERT_TRUE(source->RegisterHotKey());
    EXPECT_EQ(HotKeysAfter({"key", "ctrl+alt+p"}), Events{"hot key 100"});
}

TEST_F(X11HotKeyTest, AHotKeyHeldByAnotherProgramIsAFailureWithADescription) {
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    // Only the NumLock variant: a partial success must not stay grabbed either.
    XGrabKey(other, XKeysymToKeycode(other, XK_p), ControlMask | Mod1Mask | Mod2Mask,
             DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync);
    XSync(other, False);

    std::string error;
    EXPECT_FALSE(source->RegisterHotKey(&error));
    EXPECT_EQ(error, "Another program already uses the hot key Alt+Ctrl+P.");
    EXPECT_EQ(HotKeysAfter({"key", "ctrl+alt+p"}), Events{});

    XCloseDisplay(other);
    EXPECT_TRUE(source->RegisterHotKey(&error)) << error;
    const std::string numLock = Keycode("Num_Lock");
    EXPECT_EQ(HotKeysAfter({"key", numLock, "ctrl+alt+p", numLock}), Events{"hot key 100"});
}

}  // namespace
