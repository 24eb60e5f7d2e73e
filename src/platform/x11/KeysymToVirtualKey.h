#pragma once

#include <cstdint>
#include <functional>

#include "platform/LinuxKeyCodeToVirtualKey.h"

// Windows virtual-key codes for X keysyms: the one table that turns X keys into the codes the
// counting and the key names use. The keysym to look up is the one on the first level of the
// key's first group, so a key keeps its code whatever modifiers are held, as on Windows.
// Shift, Ctrl, Alt and the Windows keys get their side-specific codes; X never needs the
// generic 0x10 to 0x12.

// `keysym` is an X KeySym. `numLockOn`: the keypad keys give the digit and decimal codes with
// NumLock on, and the editing codes (Insert, End, Down, ..., Delete) with it off.
std::uint16_t KeysymToVirtualKey(unsigned long keysym, bool numLockOn);

// Whether the code of `keysym` depends on NumLock, so that its state need only be read then.
bool FollowsNumLock(unsigned long keysym);

// The first-level keysym of each X keycode of the keyboard's current keymap.
using KeysymOfKeycode = std::function<unsigned long(unsigned keycode)>;

// The virtual-key code of the key with this X keycode (an evdev keycode: the Linux key code
// plus 8). Latin letters go by their keysym, so the A of a French keyboard is A; the digit row
// gives its digits whatever a layout prints there; other keys go by their keysym, and a key
// whose keysym has no code (German ß, Cyrillic letters) takes the code of its place. When
// another key already carries that code by its keysym (the German minus sits where the US
// slash is), this key takes the code of the other key's place instead, so that no two keys
// of a layout share a code. `numLockOn` as for KeysymToVirtualKey.
std::uint16_t KeycodeToVirtualKey(unsigned keycode, const KeysymOfKeycode& keysymOf,
                                  bool numLockOn);
