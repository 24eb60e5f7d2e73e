#include "platform/LinuxKeyCodeToVirtualKey.h"

#include <linux/input-event-codes.h>

#include <array>

namespace {

struct PlaceCode {
    unsigned keyCode;
    std::uint16_t code;
};

constexpr PlaceCode kPlaces[] = {
    {KEY_ESC, 0x1B},
    {KEY_1, '1'},
    {KEY_2, '2'},
    {KEY_3, '3'},
    {KEY_4, '4'},
    {KEY_5, '5'},
    {KEY_6, '6'},
    {KEY_7, '7'},
    {KEY_8, '8'},
    {KEY_9, '9'},
    {KEY_0, '0'},
    {KEY_MINUS, 0xBD},
    {KEY_EQUAL, 0xBB},
    {KEY_BACKSPACE, 0x08},
    {KEY_TAB, 0x09},
    {KEY_Q, 'Q'},
    {KEY_W, 'W'},
    {KEY_E, 'E'},
    {KEY_R, 'R'},
    {KEY_T, 'T'},
    {KEY_Y, 'Y'},
    {KEY_U, 'U'},
    {KEY_I, 'I'},
    {KEY_O, 'O'},
    {KEY_P, 'P'},
    {KEY_LEFTBRACE, 0xDB},
    {KEY_RIGHTBRACE, 0xDD},
    {KEY_ENTER, 0x0D},
    {KEY_LEFTCTRL, 0xA2},
    {KEY_A, 'A'},
    {KEY_S, 'S'},
    {KEY_D, 'D'},
    {KEY_F, 'F'},
    {KEY_G, 'G'},
    {KEY_H, 'H'},
    {KEY_J, 'J'},
    {KEY_K, 'K'},
    {KEY_L, 'L'},
    {KEY_SEMICOLON, 0xBA},
    {KEY_APOSTROPHE, 0xDE},
    {KEY_GRAVE, 0xC0},
    {KEY_LEFTSHIFT, 0xA0},
    {KEY_BACKSLASH, 0xDC},
    {KEY_Z, 'Z'},
    {KEY_X, 'X'},
    {KEY_C, 'C'},
    {KEY_V, 'V'},
    {KEY_B, 'B'},
    {KEY_N, 'N'},
    {KEY_M, 'M'},
    {KEY_COMMA, 0xBC},
    {KEY_DOT, 0xBE},
    {KEY_SLASH, 0xBF},
    {KEY_RIGHTSHIFT, 0xA1},
    {KEY_KPASTERISK, 0x6A},
    {KEY_LEFTALT, 0xA4},
    {KEY_SPACE, 0x20},
    {KEY_CAPSLOCK, 0x14},
    {KEY_F1, 0x70},
    {KEY_F2, 0x71},
    {KEY_F3, 0x72},
    {KEY_F4, 0x73},
    {KEY_F5, 0x74},
    {KEY_F6, 0x75},
    {KEY_F7, 0x76},
    {KEY_F8, 0x77},
    {KEY_F9, 0x78},
    {KEY_F10, 0x79},
    {KEY_NUMLOCK, 0x90},
    {KEY_SCROLLLOCK, 0x91},
    {KEY_KPMINUS, 0x6D},
    {KEY_KPPLUS, 0x6B},
    {KEY_102ND, 0xE2},  // the extra key beside the left Shift of ISO keyboards
    {KEY_F11, 0x7A},
    {KEY_F12, 0x7B},
    {KEY_KPENTER, 0x0D},  // Windows files the keypad's Enter under Enter
    {KEY_RIGHTCTRL, 0xA3},
    {KEY_KPSLASH, 0x6F},
    {KEY_SYSRQ, 0x2C},
    {KEY_RIGHTALT, 0xA5},
    {KEY_HOME, 0x24},
    {KEY_UP, 0x26},
    {KEY_PAGEUP, 0x21},
    {KEY_LEFT, 0x25},
    {KEY_RIGHT, 0x27},
    {KEY_END, 0x23},
    {KEY_DOWN, 0x28},
    {KEY_PAGEDOWN, 0x22},
    {KEY_INSERT, 0x2D},
    {KEY_DELETE, 0x2E},
    {KEY_MUTE, 0xAD},
    {KEY_VOLUMEDOWN, 0xAE},
    {KEY_VOLUMEUP, 0xAF},
    {KEY_PAUSE, 0x13},
    {KEY_LEFTMETA, 0x5B},
    {KEY_RIGHTMETA, 0x5C},
    {KEY_COMPOSE, 0x5D},
    {KEY_STOP, 0xA9},
    {KEY_HELP, 0x2F},
    {KEY_CALC, 0xB7},
    {KEY_SLEEP, 0x5F},
    {KEY_MAIL, 0xB4},
    {KEY_BOOKMARKS, 0xAB},
    {KEY_COMPUTER, 0xB6},
    {KEY_BACK, 0xA6},
    {KEY_FORWARD, 0xA7},
    {KEY_NEXTSONG, 0xB0},
    {KEY_PLAYPAUSE, 0xB3},
    {KEY_PREVIOUSSONG, 0xB1},
    {KEY_STOPCD, 0xB2},
    {KEY_HOMEPAGE, 0xAC},
    {KEY_REFRESH, 0xA8},
    {KEY_SEARCH, 0xAA},
    {KEY_MEDIA, 0xB5},
};

// A keypad key: its codes with NumLock off and on.
struct KeypadPlace {
    unsigned keyCode;
    std::uint16_t editingCode;
    std::uint16_t digitCode;
};

constexpr KeypadPlace kKeypad[] = {
    {KEY_KP0, 0x2D, 0x60}, {KEY_KP1, 0x23, 0x61}, {KEY_KP2, 0x28, 0x62},   {KEY_KP3, 0x22, 0x63},
    {KEY_KP4, 0x25, 0x64}, {KEY_KP5, 0x0C, 0x65}, {KEY_KP6, 0x27, 0x66},   {KEY_KP7, 0x24, 0x67},
    {KEY_KP8, 0x26, 0x68}, {KEY_KP9, 0x21, 0x69}, {KEY_KPDOT, 0x2E, 0x6E},
};

// The table by key code, for a lookup without a search: the X11 keyboard looks at every key of
// the keymap when it maps a key of a non-Latin layout.
constexpr std::size_t kKeyCodeCount = 256;
constexpr std::array<std::uint16_t, kKeyCodeCount> kCodeOfKey = [] {
    std::array<std::uint16_t, kKeyCodeCount> codes{};
    codes.fill(kUnnamedVirtualKey);
    for (const PlaceCode& place : kPlaces) {
        codes[place.keyCode] = place.code;
    }
    for (unsigned key = KEY_F13; key <= KEY_F24; ++key) {
        codes[key] = static_cast<std::uint16_t>(0x7C + (key - KEY_F13));
    }
    return codes;
}();

}  // namespace

std::uint16_t LinuxKeyCodeToVirtualKey(unsigned keyCode, bool numLockOn) {
    if (keyCode >= KEY_KP7 && keyCode <= KEY_KPDOT) {
        for (const KeypadPlace& key : kKeypad) {
            if (key.keyCode == keyCode) {
                return numLockOn ? key.digitCode : key.editingCode;
            }
        }
    }
    return keyCode < kKeyCodeCount ? kCodeOfKey[keyCode] : kUnnamedVirtualKey;
}
