#pragma once

#include <functional>
#include <string>

#include "ports/RawInput.h"

class KeyStatePort;

// Where the keyboard and mouse-button events of the whole desktop come from, whichever program
// has the focus, together with the global hot key. A backend that cannot start is not created
// and says why. Everything here runs on the user-interface thread.
class InputSource {
public:
    using InputHandler = std::function<void(const RawInput&)>;
    using HotKeyHandler = std::function<void(int id)>;

    // The id the hot key Alt+Ctrl+P is delivered with.
    static constexpr int kHotKeyId = 100;

    virtual ~InputSource() = default;

    // Becomes readable when events may be waiting; the event loop watches it and calls Dispatch.
    virtual int FileDescriptor() const = 0;

    // Hands the waiting events to the handlers, in order, without waiting for more. A backend
    // may hand a bounded batch, so that a flood cannot hold the user-interface thread; the
    // descriptor then stays readable for the rest. A handler may run a nested event loop that
    // calls Dispatch again. False, with a description in
    // `error`, once the source has stopped for good; stop watching the descriptor then.
    virtual bool Dispatch(const InputHandler& onInput, const HotKeyHandler& onHotKey,
                          std::string* error = nullptr) = 0;

    // Waits until every event the desktop has produced so far can be dispatched, so that input
    // made just before the program ends, or before the keys became private or stopped being so,
    // is counted as it was made. It may take a round trip: only for such rare moments.
    virtual void CatchUp() {}

    // Alt+Ctrl+P anywhere on the desktop, delivered to onHotKey as kHotKeyId; its keys are still
    // delivered to onInput. False, with a description in `error`, when another program holds it.
    // Events may be waiting afterwards that the descriptor does not show: call Dispatch.
    virtual bool RegisterHotKey(std::string* error = nullptr) = 0;
    virtual void UnregisterHotKey() = 0;

    // Which keys are held now, for telling the left modifier keys from the right ones.
    virtual KeyStatePort& KeyState() = 0;
};
