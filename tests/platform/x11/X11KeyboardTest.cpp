#include "platform/x11/X11Keyboard.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "counting/KeyFrequencyTable.h"
#include "platform/LinuxKeyCodeToVirtualKey.h"
#include "platform/x11/KeysymToVirtualKey.h"
#include "platform/x11/XServerTest.h"

// Xlib last: its macros (None, Bool, KeyPress, ...) would clash with the names above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {

// The X keycode of a key of the test server's evdev keyboard.
unsigned EvdevKeycode(unsigned linuxKeyCode) {
    return linuxKeyCode + 8;
}

// The keys that type text: the digit row, the three letter rows and the ISO extra key.
std::vector<unsigned> TypingKeys() {
    std::vector<unsigned> keys;
    const std::pair<unsigned, unsigned> ranges[] = {{KEY_1, KEY_EQUAL},
                                                    {KEY_Q, KEY_RIGHTBRACE},
                                                    {KEY_A, KEY_GRAVE},
                                                    {KEY_BACKSLASH, KEY_SLASH},
                                                    {KEY_102ND, KEY_102ND}};
    for (const auto& [first, last] : ranges) {
        for (unsigned key = first; key <= last; ++key) {
            keys.push_back(key);
        }
    }
    return keys;
}

class X11KeyboardTest : public XServerTest {
protected:
    void TearDown() override {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    // A connection that reads the keymap of this layout.
    X11Keyboard& WithLayout(const std::string& layout) {
        UseLayout(layout);
        if (display != nullptr) {
            XCloseDisplay(display);
        }
        display = XOpenDisplay(nullptr);
        EXPECT_NE(display, nullptr);
        keyboard = std::make_unique<X11Keyboard>(display);
        return *keyboard;
    }

    Display* display = nullptr;
    std::unique_ptr<X11Keyboard> keyboard;
};

TEST_F(X11KeyboardTest, TheUsLayoutGivesEachPlaceTheCodeOfItsKeysym) {
    WithLayout("us");
    int compared = 0;
    // The evdev backend reads keys by place alone, so this is also what makes both backends
    // count a key under the same code, keypad included whichever way NumLock stands.
    for (const bool numLockOn : {false, true}) {
        for (unsigned keycode = 8; keycode < 256; ++keycode) {
            const KeySym keysym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, 0);
            const std::uint16_t byKeysym = KeysymToVirtualKey(keysym, numLockOn);
            const std::uint16_t byPlace = LinuxKeyCodeToVirtualKey(keycode - 8, numLockOn);
            if (byKeysym != kUnnamedVirtualKey && byPlace != kUnnamedVirtualKey) {
                EXPECT_EQ(byPlace, byKeysym) << XKeysymToString(keysym) << " at keycode " << keycode
                                             << " NumLock " << numLockOn;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 200);
}

TEST_F(X11KeyboardTest, EveryTypingKeyOfALayoutHasACodeOfItsOwn) {
    KeyFrequencyTable names;
    names.FillKeyNames();
    for (const char* layout : {"us", "fr", "de", "ru", "gb", "es", "it", "se", "cz", "gr"}) {
        X11Keyboard& keys = WithLayout(layout);
        std::map<std::uint16_t, unsigned> keyOfCode;
        for (const unsigned key : TypingKeys()) {
            const std::uint16_t code = keys.VirtualKeyOf(EvdevKeycode(key));
            // The ISO key's code has no name, but it is a code of its own.
            EXPECT_TRUE(names.KeyName(code) != "Unknown" || code == 0xE2)
                << layout << ": key " << key << " gives 0x" << std::hex << code;
            const auto [holder, added] = keyOfCode.emplace(code, key);
            EXPECT_TRUE(added) << layout << ": keys " << holder->second << " and " << key
                               << " share 0x" << std::hex << code;
        }
    }
}

TEST_F(X11KeyboardTest, KeysOfOtherLayoutsTakeTheCodesOfTheirLettersDigitsAndPlaces) {
    const struct {
        const char* layout;
        unsigned key;
        std::uint16_t code;
    } cases[] = {
        // French: letters go by what they type, the digit row by its digits, ù by its place.
        {"fr", KEY_Q, 'A'},
        {"fr", KEY_A, 'Q'},
        {"fr", KEY_SEMICOLON, 'M'},
        {"fr", KEY_1, '1'},  // &
        {"fr", KEY_2, '2'},  // é
        {"fr", KEY_4, '4'},  // '
        {"fr", KEY_6, '6'},  // -
        {"fr", KEY_MINUS, 0xBD},
        {"fr", KEY_APOSTROPHE, 0xDE},
        {"fr", KEY_M, 0xBC},  // ,
        // German: Y and Z swap; ß, ü, ö, ä and # by their place; the minus keeps its own code,
        // so ß, whose place has it, takes the minus key's place.
        {"de", KEY_Y, 'Z'},
        {"de", KEY_Z, 'Y'},
        {"de", KEY_LEFTBRACE, 0xDB},
        {"de", KEY_SEMICOLON, 0xBA},
        {"de", KEY_APOSTROPHE, 0xDE},
        {"de", KEY_BACKSLASH, 0xDC},
        {"de", KEY_SLASH, 0xBD},
        {"de", KEY_MINUS, 0xBF},
        // Russian: every letter by its place.
        {"ru", KEY_Q, 'Q'},
        {"ru", KEY_M, 'M'},
        {"ru", KEY_GRAVE, 0xC0},
        {"ru", KEY_COMMA, 0xBC},
        {"ru", KEY_2, '2'},
    };
    std::string current;
    X11Keyboard* keys = nullptr;
    for (const auto& c : cases) {
        if (c.layout != current) {
            current = c.layout;
            keys = &WithLayout(current);
        }
        EXPECT_EQ(keys->VirtualKeyOf(EvdevKeycode(c.key)), c.code)
            << c.layout << ": key " << c.key << ", " << std::hex << "0x" << c.code;
    }
}

}  // namespace
