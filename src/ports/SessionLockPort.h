#pragma once

#include <functional>
#include <utility>

// Whether the user's session is locked, that is whether a screen locker holds the keyboard.
// What is typed then is the password that unlocks the session: it still counts as keystrokes,
// but it must never reach the per-key tally, and the hot key does nothing.
class SessionLockPort {
public:
    virtual ~SessionLockPort() = default;

    virtual bool IsLocked() const = 0;

    // `notice` is called with the coming state each time it changes, just before the change
    // takes effect, so input that arrived before it can still be handled under the old one.
    void OnChange(std::function<void(bool locked)> notice) { notice_ = std::move(notice); }

protected:
    void Notify(bool locked) const {
        if (notice_) {
            notice_(locked);
        }
    }

private:
    std::function<void(bool locked)> notice_;
};

// For a program that cannot tell (no desktop session to ask): never locked.
class NeverLocked final : public SessionLockPort {
public:
    bool IsLocked() const override { return false; }
};
