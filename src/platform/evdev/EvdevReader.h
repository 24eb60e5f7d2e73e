#pragma once

#include <linux/input.h>

#include <cstddef>
#include <functional>
#include <string>

#include "ports/RawInput.h"

// Turns the `struct input_event` records of one kernel input device into the raw records the
// counting reads, as the X11 backend makes them: a key's press and release with its
// virtual-key code (repeats are not keys), the five mouse buttons' transitions (wheels are not
// clicks), and Alt+Ctrl+P when P is released with both held. Only key codes are looked at;
// nothing here turns them into characters. The descriptor is read without blocking.
class EvdevReader {
public:
    using InputHandler = std::function<void(const RawInput&)>;
    using HotKeyHandler = std::function<void()>;

    enum class State { Open, Gone, Failed };

    // The most records one Read takes. A device that floods would otherwise hold the
    // user-interface thread; what is left keeps the descriptor readable for the next Read.
    static constexpr std::size_t kMostRecordsPerRead = 512;

    // `fd` stays owned by the caller. `numLockOn`: the NumLock light when the device was
    // opened; its changes come in the stream as EV_LED records.
    EvdevReader(int fd, bool numLockOn);

    int FileDescriptor() const { return fd_; }

    // Hands the waiting records to the handlers, in order, at most kMostRecordsPerRead of
    // them. Gone once the device has been
    // unplugged or the stream has ended (not an error); Failed with `error` on anything else.
    State Read(const InputHandler& onInput, const HotKeyHandler& onHotKey,
               std::string* error = nullptr);

    // Relative motion (REL_X, REL_Y) gathered since the last call, in device counts.
    void TakeMotion(long* dx, long* dy);

private:
    void Handle(const input_event& event, const InputHandler& onInput,
                const HotKeyHandler& onHotKey);
    void HandleKey(unsigned code, int value, const InputHandler& onInput,
                   const HotKeyHandler& onHotKey);

    int fd_;
    bool numLockOn_;
    bool droppedUntilReport_ = false;
    unsigned heldCtrl_ = 0;  // bit 0 left, bit 1 right
    unsigned heldAlt_ = 0;
    long dx_ = 0;
    long dy_ = 0;
    // A record a read split in two (a pipe may); devices never do.
    unsigned char partial_[sizeof(input_event)] = {};
    std::size_t partialSize_ = 0;
};
