#include "platform/x11/KeysymToVirtualKey.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "counting/KeyFrequencyTable.h"

#include <X11/Xlib.h>

namespace {

class KeysymToVirtualKeyTest : public ::testing::Test {
protected:
    void SetUp() override { names.FillKeyNames(); }

    static unsigned long Keysym(const char* name) {
        const KeySym keysym = XStringToKeysym(name);
        EXPECT_NE(keysym, static_cast<KeySym>(NoSymbol)) << name;
        return keysym;
    }

    // Every keysym of the Latin-1, keyboard-function and vendor (XF86) ranges, which hold all
    // the keys a keyboard's first level carries in Latin layouts.
    template <typename Visit>
    static void ForEveryKeysym(Visit visit) {
        for (unsigned long keysym = 0x20; keysym <= 0xFF; ++keysym) {
            visit(keysym);
        }
        for (unsigned long keysym = 0xFE00; keysym <= 0xFFFF; ++keysym) {
            visit(keysym);
        }
        for (unsigned long keysym = 0x1008FF00; keysym <= 0x1008FFFF; ++keysym) {
            visit(keysym);
        }
    }

    KeyFrequencyTable names;
};

TEST_F(KeysymToVirtualKeyTest, EveryNamedKeyCanBeTyped) {
    std::set<int> reachable;
    ForEveryKeysym([&](unsigned long keysym) {
        reachable.insert(KeysymToVirtualKey(keysym, false));
        reachable.insert(KeysymToVirtualKey(keysym, true));
    });
    int named = 0;
    for (int code = 0; code < 256; ++code) {
        if (names.KeyName(code) != "Unknown") {
            ++named;
            EXPECT_EQ(reachable.count(code), 1u) << names.KeyName(code);
        }
    }
    // The 107th name, "Keypad Enter", has a code no key produces: the keypad's Enter is Enter.
    EXPECT_EQ(named, 106);
    EXPECT_EQ(KeysymToVirtualKey(Keysym("KP_Enter"), false), 0x0D);
}

TEST_F(KeysymToVirtualKeyTest, KeysGetTheNamesOfTheirWindowsCodes) {
    const struct {
        const char* keysym;
        bool numLock;
        const char* name;
    } cases[] = {
        {"a", false, "A"},
        {"z", false, "Z"},
        {"Q", false, "Q"},
        {"0", false, "0"},
        {"9", false, "9"},
        {"F1", false, "F1"},
        {"F15", false, "F15"},
        {"Escape", false, "Esc"},
        {"Tab", false, "Tab"},
        {"ISO_Left_Tab", false, "Tab"},  // Shift+Tab's first level in some keymaps
        {"Return", false, "Enter"},
        {"KP_Enter", true, "Enter"},
        {"equal", false, "+"},
        {"grave", false, "`"},
        {"backslash", false, "\\"},
        {"Print", false, "Print screen"},
        {"Num_Lock", true, "Numlock"},
        {"Shift_L", false, "Left shift"},
        {"Shift_R", false, "Right shift"},
        {"Control_L", false, "Left ctrl"},
        {"Control_R", false, "Right ctrl"},
        {"Alt_L", false, "Left alt"},
        {"Alt_R", false, "Right alt"},
        {"ISO_Level3_Shift", false, "Right alt"},  // AltGr
        {"Super_L", false, "Left Winkey"},
        {"Super_R", false, "Right Winkey"},
        {"Menu", false, "Menu"},
        {"KP_Multiply", false, "Keypad: *"},
        {"KP_Add", true, "Keypad: +"},
        // The keypad follows NumLock, as on Windows.
        {"KP_End", false, "End"},
        {"KP_End", true, "Keypad: 1"},
        {"KP_Insert", false, "Insert"},
        {"KP_Insert", true, "Keypad: 0"},
        {"KP_Prior", false, "PageUp"},
        {"KP_Prior", true, "Keypad: 9"},
        {"KP_Delete", false, "Delete"},
        {"KP_Delete", true, "Keypad: ."},
        {"KP_Decimal", true, "Keypad: ."},
        {"KP_Separator", true, "Keypad: ."},
        {"KP_7", true, "Keypad: 7"},
        {"KP_7", false, "Home"},
        {"Prior", false, "PageUp"},
        {"Next", false, "PageDown"},
        {"Up", false, "Up"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(names.KeyName(KeysymToVirtualKey(Keysym(c.keysym), c.numLock)), c.name)
            << c.keysym << (c.numLock ? " with NumLock" : "");
    }
}

TEST_F(KeysymToVirtualKeyTest, KeysWithoutAWindowsCodeAreStillCounted) {
    // The keypad's 5 without NumLock is Windows' Clear; the others have no code here.
    for (const char* keysym : {"KP_Begin", "udiaeresis", "Multi_key", "F24", "XF86Eject"}) {
        const std::uint16_t code = KeysymToVirtualKey(Keysym(keysym), false);
        EXPECT_EQ(names.KeyName(code), "Unknown") << keysym;
        EXPECT_NE(code, 0xFF) << keysym;  // 0xFF is never counted
    }
    EXPECT_EQ(KeysymToVirtualKey(NoSymbol, false), kUnnamedVirtualKey);
}

TEST_F(KeysymToVirtualKeyTest, NoKeyGivesAGenericModifierOrTheIgnoredCode) {
    ForEveryKeysym([&](unsigned long keysym) {
        for (bool numLock : {false, true}) {
            const std::uint16_t code = KeysymToVirtualKey(keysym, numLock);
            EXPECT_TRUE(code != 0x10 && code != 0x11 && code != 0x12 && code != 0xFF && code != 0)
                << std::hex << keysym;
        }
    });
}

}  // namespace
