#include "platform/evdev/EvdevReader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/LinuxKeyCodeToVirtualKey.h"

namespace {

// Windows' buttons 1 to 5: left, right, middle, back, forward.
std::uint16_t ButtonFlags(unsigned code, bool press) {
    switch (code) {
        case BTN_LEFT:
            return press ? RawInput::kButton1Down : RawInput::kButton1Up;
        case BTN_RIGHT:
            return press ? RawInput::kButton2Down : RawInput::kButton2Up;
        case BTN_MIDDLE:
            return press ? RawInput::kButton3Down : RawInput::kButton3Up;
        case BTN_SIDE:
            return press ? RawInput::kButton4Down : RawInput::kButton4Up;
        case BTN_EXTRA:
            return press ? RawInput::kButton5Down : RawInput::kButton5Up;
        default:
            return 0;
    }
}

// Mouse, joystick and tablet buttons share EV_KEY with the keys but are not keys.
bool IsButton(unsigned code) {
    return (code >= BTN_MISC && code < KEY_OK) || code >= BTN_TRIGGER_HAPPY;
}

void SetBit(unsigned* bits, unsigned bit, bool on) {
    *bits = on ? (*bits | bit) : (*bits & ~bit);
}

}  // namespace

EvdevReader::EvdevReader(int fd, bool numLockOn) : fd_(fd), numLockOn_(numLockOn) {}

EvdevReader::State EvdevReader::Read(const InputHandler& onInput, const HotKeyHandler& onHotKey,
                                     std::string* error) {
    input_event events[64];
    for (std::size_t taken = 0; taken < kMostRecordsPerRead;) {
        auto* bytes = reinterpret_cast<unsigned char*>(events);
        std::memcpy(bytes, partial_, partialSize_);
        const ssize_t got = ::read(fd_, bytes + partialSize_, sizeof events - partialSize_);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return State::Open;
            }
            if (errno == ENODEV) {
                return State::Gone;
            }
            if (error) {
                *error = std::string("reading an input device failed: ") + std::strerror(errno);
            }
            return State::Failed;
        }
        if (got == 0) {
            return State::Gone;
        }
        const std::size_t asked = sizeof events - partialSize_;
        const std::size_t total = partialSize_ + static_cast<std::size_t>(got);
        const std::size_t whole = total / sizeof(input_event);
        for (std::size_t i = 0; i < whole; ++i) {
            Handle(events[i], onInput, onHotKey);
        }
        taken += whole;
        partialSize_ = total % sizeof(input_event);
        std::memcpy(partial_, bytes + whole * sizeof(input_event), partialSize_);
        // A short read took everything there was: asking again would only hear EAGAIN. What
        // comes later makes the descriptor readable again.
        if (static_cast<std::size_t>(got) < asked) {
            return State::Open;
        }
    }
    // Enough for this time; the rest keeps the descriptor readable.
    return State::Open;
}

void EvdevReader::TakeMotion(long* dx, long* dy) {
    *dx = dx_;
    *dy = dy_;
    dx_ = 0;
    dy_ = 0;
}

void EvdevReader::Handle(const input_event& event, const InputHandler& onInput,
                         const HotKeyHandler& onHotKey) {
    if (event.type == EV_SYN) {
        // After SYN_DROPPED the kernel's buffer overflowed: what follows up to the next report
        // is a torn frame, so it is skipped rather than counted twice or half.
        if (event.code == SYN_DROPPED) {
            droppedUntilReport_ = true;
        } else if (event.code == SYN_REPORT) {
            droppedUntilReport_ = false;
        }
        return;
    }
    if (droppedUntilReport_) {
        return;
    }
    switch (event.type) {
        case EV_KEY:
            HandleKey(event.code, event.value, onInput, onHotKey);
            break;
        case EV_REL:
            if (event.code == REL_X) {
                dx_ += event.value;
            } else if (event.code == REL_Y) {
                dy_ += event.value;
            }
            break;
        case EV_LED:
            if (event.code == LED_NUML) {
                numLockOn_ = event.value != 0;
            }
            break;
        default:
            break;
    }
}

void EvdevReader::HandleKey(unsigned code, int value, const InputHandler& onInput,
                            const HotKeyHandler& onHotKey) {
    if (value != 0 && value != 1) {
        return;  // 2 is the keyboard's auto-repeat, not a key stroke
    }
    const bool press = value == 1;
    if (IsButton(code)) {
        if (const std::uint16_t flags = ButtonFlags(code, press)) {
            onInput(RawInput::Buttons(flags));
        }
        return;
    }
    switch (code) {
        case KEY_LEFTCTRL:
            SetBit(&heldCtrl_, 1, press);
            break;
        case KEY_RIGHTCTRL:
            SetBit(&heldCtrl_, 2, press);
            break;
        case KEY_LEFTALT:
            SetBit(&heldAlt_, 1, press);
            break;
        case KEY_RIGHTALT:
            SetBit(&heldAlt_, 2, press);
            break;
        default:
            break;
    }
    onInput(RawInput::Key(LinuxKeyCodeToVirtualKey(code, numLockOn_),
                          press ? RawInput::kKeyDown : RawInput::kKeyUp));
    if (!press && code == KEY_P && heldCtrl_ != 0 && heldAlt_ != 0 && onHotKey) {
        onHotKey();
    }
}
