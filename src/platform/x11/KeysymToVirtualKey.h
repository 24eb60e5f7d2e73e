#pragma once

#include <cstdint>

// Windows virtual-key codes for X keysyms: the one table that turns X keys into the codes the
// counting and the key names use. The keysym to look up is the one on the first level of the
// key's first group, so a key keeps its code whatever modifiers are held, as on Windows.
// Shift, Ctrl, Alt and the Windows keys get their side-specific codes; X never needs the
// generic 0x10 to 0x12.

// The code of keys that have no virtual-key code of their own here: they are counted, with no
// name ("Unknown").
inline constexpr std::uint16_t kUnnamedVirtualKey = 0xE8;

// `keysym` is an X KeySym. `numLockOn`: the keypad keys give the digit and decimal codes with
// NumLock on, and the editing codes (Insert, End, Down, ..., Delete) with it off.
std::uint16_t KeysymToVirtualKey(unsigned long keysym, bool numLockOn);

// Whether the code of `keysym` depends on NumLock, so that its state need only be read then.
bool FollowsNumLock(unsigned long keysym);
