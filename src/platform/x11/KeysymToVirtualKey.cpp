#include "platform/x11/KeysymToVirtualKey.h"

#include <algorithm>
#include <array>
#include <iterator>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace {

struct KeysymCode {
    unsigned long keysym;
    std::uint16_t code;
};

constexpr KeysymCode kKeys[] = {
    {XK_Escape, 0x1B},
    {XK_BackSpace, 0x08},
    {XK_Tab, 0x09},
    {XK_ISO_Left_Tab, 0x09},
    {XK_Return, 0x0D},
    {XK_KP_Enter, 0x0D},  // Windows files the keypad's Enter under Enter
    {XK_space, 0x20},
    {XK_Caps_Lock, 0x14},
    {XK_minus, 0xBD},
    {XK_equal, 0xBB},
    {XK_bracketleft, 0xDB},
    {XK_bracketright, 0xDD},
    {XK_semicolon, 0xBA},
    {XK_apostrophe, 0xDE},
    {XK_backslash, 0xDC},
    {XK_comma, 0xBC},
    {XK_period, 0xBE},
    {XK_slash, 0xBF},
    {XK_grave, 0xC0},
    {XK_less, 0xE2},  // the extra key beside the left Shift of ISO keyboards
    {XK_Print, 0x2C},
    {XK_Sys_Req, 0x2C},
    {XK_Scroll_Lock, 0x91},
    {XK_Pause, 0x13},
    {XK_Break, 0x03},
    {XK_Shift_L, 0xA0},
    {XK_Shift_R, 0xA1},
    {XK_Control_L, 0xA2},
    {XK_Control_R, 0xA3},
    {XK_Alt_L, 0xA4},
    {XK_Meta_L, 0xA4},
    {XK_Alt_R, 0xA5},
    {XK_Meta_R, 0xA5},
    {XK_ISO_Level3_Shift, 0xA5},  // AltGr
    {XK_Super_L, 0x5B},
    {XK_Super_R, 0x5C},
    {XK_Menu, 0x5D},
    {XK_Num_Lock, 0x90},
    {XK_KP_Multiply, 0x6A},
    {XK_KP_Divide, 0x6F},
    {XK_KP_Subtract, 0x6D},
    {XK_KP_Add, 0x6B},
    {XK_Insert, 0x2D},
    {XK_Home, 0x24},
    {XK_Prior, 0x21},
    {XK_Delete, 0x2E},
    {XK_End, 0x23},
    {XK_Next, 0x22},
    {XK_Left, 0x25},
    {XK_Up, 0x26},
    {XK_Right, 0x27},
    {XK_Down, 0x28},
    {XK_Clear, 0x0C},
    {XK_Select, 0x29},
    {XK_Execute, 0x2B},
    {XK_Help, 0x2F},
    {XF86XK_Sleep, 0x5F},
    {XF86XK_Back, 0xA6},
    {XF86XK_Forward, 0xA7},
    {XF86XK_Refresh, 0xA8},
    {XF86XK_Reload, 0xA8},
    {XF86XK_Stop, 0xA9},
    {XF86XK_Search, 0xAA},
    {XF86XK_Favorites, 0xAB},
    {XF86XK_HomePage, 0xAC},
    {XF86XK_AudioMute, 0xAD},
    {XF86XK_AudioLowerVolume, 0xAE},
    {XF86XK_AudioRaiseVolume, 0xAF},
    {XF86XK_AudioNext, 0xB0},
    {XF86XK_AudioPrev, 0xB1},
    {XF86XK_AudioStop, 0xB2},
    {XF86XK_AudioPlay, 0xB3},
    {XF86XK_AudioPause, 0xB3},
    {XF86XK_Mail, 0xB4},
    {XF86XK_AudioMedia, 0xB5},
    {XF86XK_MyComputer, 0xB6},
    {XF86XK_Explorer, 0xB6},
    {XF86XK_Calculator, 0xB7},
};

// The table in keysym order, for a binary search: mapping a key of a non-Latin layout looks
// at every key of the keymap.
constexpr auto kKeysByKeysym = [] {
    std::array<KeysymCode, std::size(kKeys)> keys{};
    std::copy(std::begin(kKeys), std::end(kKeys), keys.begin());
    std::sort(keys.begin(), keys.end(),
              [](const KeysymCode& a, const KeysymCode& b) { return a.keysym < b.keysym; });
    return keys;
}();

// A keypad key: its keysym with NumLock off (the first level) and on, and the two codes.
struct KeypadKey {
    unsigned long editing;
    unsigned long digit;
    std::uint16_t editingCode;
    std::uint16_t digitCode;
};

constexpr KeypadKey kKeypad[] = {
    {XK_KP_Insert, XK_KP_0, 0x2D, 0x60},       {XK_KP_End, XK_KP_1, 0x23, 0x61},
    {XK_KP_Down, XK_KP_2, 0x28, 0x62},         {XK_KP_Next, XK_KP_3, 0x22, 0x63},
    {XK_KP_Left, XK_KP_4, 0x25, 0x64},         {XK_KP_Begin, XK_KP_5, 0x0C, 0x65},
    {XK_KP_Right, XK_KP_6, 0x27, 0x66},        {XK_KP_Home, XK_KP_7, 0x24, 0x67},
    {XK_KP_Up, XK_KP_8, 0x26, 0x68},           {XK_KP_Prior, XK_KP_9, 0x21, 0x69},
    {XK_KP_Delete, XK_KP_Decimal, 0x2E, 0x6E},
};

const KeypadKey* FindKeypadKey(unsigned long keysym) {
    if (keysym == XK_KP_Separator) {
        keysym = XK_KP_Decimal;  // the same key under layouts with a decimal comma
    }
    for (const KeypadKey& key : kKeypad) {
        if (keysym == key.editing || keysym == key.digit) {
            return &key;
        }
    }
    return nullptr;
}

constexpr unsigned kFirstKeycode = 8;  // X keycodes start here: evdev key code + 8
constexpr unsigned kKeycodeCount = 256;

bool IsLatinLetter(unsigned long keysym) {
    return (keysym >= XK_a && keysym <= XK_z) || (keysym >= XK_A && keysym <= XK_Z);
}

std::uint16_t PlaceCode(unsigned keycode, bool numLockOn) {
    return keycode >= kFirstKeycode ? LinuxKeyCodeToVirtualKey(keycode - kFirstKeycode, numLockOn)
                                    : kUnnamedVirtualKey;
}

// The code a key has without looking at the other keys: a Latin letter's, a digit of the digit
// row, or its keysym's; unnamed when none of these gives one.
std::uint16_t OwnCode(unsigned keycode, unsigned long keysym, bool numLockOn) {
    if (!IsLatinLetter(keysym)) {
        const std::uint16_t place = PlaceCode(keycode, numLockOn);
        if (place >= '0' && place <= '9') {
            return place;
        }
    }
    return KeysymToVirtualKey(keysym, numLockOn);
}

// The keycode of another key whose own code is `code`, or 0.
unsigned KeyWithOwnCode(std::uint16_t code, unsigned except, const KeysymOfKeycode& keysymOf,
                        bool numLockOn) {
    for (unsigned keycode = kFirstKeycode; keycode < kKeycodeCount; ++keycode) {
        if (keycode != except && OwnCode(keycode, keysymOf(keycode), numLockOn) == code) {
            return keycode;
        }
    }
    return 0;
}

}  // namespace

std::uint16_t KeysymToVirtualKey(unsigned long keysym, bool numLockOn) {
    if (keysym >= XK_a && keysym <= XK_z) {
        return static_cast<std::uint16_t>(0x41 + (keysym - XK_a));
    }
    if (keysym >= XK_A && keysym <= XK_Z) {
        return static_cast<std::uint16_t>(0x41 + (keysym - XK_A));
    }
    if (keysym >= XK_0 && keysym <= XK_9) {
        return static_cast<std::uint16_t>(0x30 + (keysym - XK_0));
    }
    if (keysym >= XK_F1 && keysym <= XK_F24) {
        return static_cast<std::uint16_t>(0x70 + (keysym - XK_F1));
    }
    if (const KeypadKey* key = FindKeypadKey(keysym)) {
        return numLockOn ? key->digitCode : key->editingCode;
    }
    const auto found = std::lower_bound(
        kKeysByKeysym.begin(), kKeysByKeysym.end(), keysym,
        [](const KeysymCode& key, unsigned long wanted) { return key.keysym < wanted; });
    return found != kKeysByKeysym.end() && found->keysym == keysym ? found->code
                                                                   : kUnnamedVirtualKey;
}

bool FollowsNumLock(unsigned long keysym) {
    return FindKeypadKey(keysym) != nullptr;
}

std::uint16_t KeycodeToVirtualKey(unsigned keycode, const KeysymOfKeycode& keysymOf,
                                  bool numLockOn) {
    const std::uint16_t own = OwnCode(keycode, keysymOf(keycode), numLockOn);
    if (own != kUnnamedVirtualKey) {
        return own;
    }
    // The code of this key's place, unless another key has it as its own code: then the code
    // of that key's place, and so on. Places are unique and a key with a code of its own never
    // looks for one, so each key's path ends at a code no other key ends at or has.
    std::uint16_t place = PlaceCode(keycode, numLockOn);
    for (unsigned step = kFirstKeycode; step < kKeycodeCount && place != kUnnamedVirtualKey;
         ++step) {
        const unsigned holder = KeyWithOwnCode(place, keycode, keysymOf, numLockOn);
        if (holder == 0) {
            return place;
        }
        place = PlaceCode(holder, numLockOn);
    }
    return kUnnamedVirtualKey;
}
