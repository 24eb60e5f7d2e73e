#include "platform/x11/X11Keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/x11/KeysymToVirtualKey.h"

namespace {

// The side-specific codes a generic modifier code stands for.
bool Matches(std::uint16_t held, std::uint16_t asked) {
    switch (asked) {
        case 0x10:
            return held == 0xA0 || held == 0xA1;
        case 0x11:
            return held == 0xA2 || held == 0xA3;
        case 0x12:
            return held == 0xA4 || held == 0xA5;
        default:
            return held == asked;
    }
}

}  // namespace

std::uint16_t X11Keyboard::VirtualKeyOf(unsigned keycode) {
    const KeysymOfKeycode keysymOf = [this](unsigned code) -> unsigned long {
        return code < 256 ? XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 0)
                          : NoSymbol;
    };
    const unsigned long keysym = keysymOf(keycode);
    return KeycodeToVirtualKey(keycode, keysymOf, FollowsNumLock(keysym) && NumLockOn());
}

bool X11Keyboard::IsKeyDown(std::uint16_t virtualKey) {
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    for (unsigned keycode = 8; keycode < 256; ++keycode) {
        const bool held = (static_cast<unsigned char>(keys[keycode / 8]) >> (keycode % 8)) & 1;
        if (held && Matches(VirtualKeyOf(keycode), virtualKey)) {
            return true;
        }
    }
    return false;
}

bool X11Keyboard::NumLockOn() const {
    unsigned mask = XkbKeysymToModifiers(display_, XK_Num_Lock);
    if (mask == 0) {
        mask = Mod2Mask;  // where NumLock sits in every common keymap
    }
    return (lockedModifiers_ & mask) != 0;
}
