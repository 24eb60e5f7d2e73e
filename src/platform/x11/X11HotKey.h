#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/x11/X11Connection.h"

// Alt+Ctrl+P grabbed on the root window, so that its presses come here whichever window has
// the focus and do not reach the focused program. X matches a grab's modifiers exactly, so the
// combination is grabbed once for each state of NumLock and CapsLock.
//
// It has a connection of its own: while a grab is active the server keeps the grabbing
// client's own raw events from it, so grabbing on the raw-input connection would lose the
// releases of Ctrl, Alt and P. Other clients' raw events are not affected by the grab.
class X11HotKey {
public:
    // Connects to `displayName` (empty: $DISPLAY). Nothing, with a description in `error`,
    // when the server cannot be reached.
    static std::unique_ptr<X11HotKey> Open(const std::string& displayName,
                                           std::string* error = nullptr);

    int FileDescriptor() const;
    bool Lost() const { return connection_->Lost(); }

    // True when the combination is (or already was) ours; false, with a description in
    // `error`, when another program holds it, and then nothing stays grabbed.
    bool Grab(std::string* error = nullptr);
    void Ungrab();
    bool Grabbed() const { return grabbed_; }

    // Handles every waiting event without waiting for more, calling onPress for each press of
    // the hot key. True when there was any event.
    bool Dispatch(const std::function<void()>& onPress);

private:
    explicit X11HotKey(std::unique_ptr<X11Connection> connection)
        : connection_(std::move(connection)) {}
    // The NumLock and CapsLock states the combination is grabbed in.
    std::array<unsigned, 4> LockVariants() const;
    void UngrabVariants();
    bool Matches(unsigned keycode, unsigned state) const;

    std::unique_ptr<X11Connection> connection_;
    bool grabbed_ = false;
    unsigned keycode_ = 0;
    unsigned modifiers_ = 0;
    unsigned numLock_ = 0;
};
