#pragma once

#include "ports/PrivateKeysPort.h"

// Whether the user's session is locked, that is whether a screen locker holds the keyboard.
// What is typed then is the password that unlocks the session, so the keys are private, and
// the hot key does nothing. OnChange tells of the coming lock state.
class SessionLockPort : public PrivateKeysPort {
public:
    virtual bool IsLocked() const = 0;

    bool KeysArePrivate() const final { return IsLocked(); }
};

// For a program that cannot tell (no desktop session to ask): never locked.
class NeverLocked final : public SessionLockPort {
public:
    bool IsLocked() const override { return false; }
};
