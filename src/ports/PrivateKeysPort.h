#pragma once

#include <functional>
#include <utility>

// Whether what is typed now is private: a password, at a lock screen or in a password field.
// Such keys still count as keystrokes, so the totals stay true, but they must never reach the
// per-key tally, whose counts before and after would tell which keys the password holds.
class PrivateKeysPort {
public:
    virtual ~PrivateKeysPort() = default;

    virtual bool KeysArePrivate() const = 0;

    // `notice` is called with the coming state each time it changes, just before the change
    // takes effect, so input that arrived before it can still be handled under the old one.
    // There is one listener: a later call replaces the earlier one.
    void OnChange(std::function<void(bool coming)> notice) { notice_ = std::move(notice); }

protected:
    void Notify(bool coming) const {
        if (notice_) {
            notice_(coming);
        }
    }

private:
    std::function<void(bool coming)> notice_;
};
