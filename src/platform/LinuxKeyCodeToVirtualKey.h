#pragma once

#include <cstdint>

// Windows virtual-key codes for the keys of a PC keyboard by their place on it: the Linux input
// key code (KEY_Q, KEY_SEMICOLON, ...), which is the same whatever layout the user types with.
// Each place gets the code a US layout gives the key there, as Windows gives the keys of other
// layouts the codes of their place (the A of a French keyboard sits at KEY_Q, the Cyrillic
// letter at KEY_Q counts as Q). An X server's evdev keycodes are these codes plus 8.

// The code of keys that have no virtual-key code of their own: they are counted, with no name
// ("Unknown").
inline constexpr std::uint16_t kUnnamedVirtualKey = 0xE8;

// `numLockOn`: the keypad keys give the digit and decimal codes with NumLock on, and the
// editing codes (Insert, End, Down, ..., Delete) with it off. kUnnamedVirtualKey for a code
// with no place on a PC keyboard.
std::uint16_t LinuxKeyCodeToVirtualKey(unsigned keyCode, bool numLockOn);
