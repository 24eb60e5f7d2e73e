#pragma once

#include <cstdint>

#include "ports/KeyStatePort.h"

struct _XDisplay;

// The keyboard of one X connection in virtual-key terms: the code of a key, and which keys are
// held at this moment. Used on the connection's own thread. The keypad's codes depend on
// NumLock, whose state the owner keeps up to date in event order (SetLockedModifiers), so that
// a key handled a moment after it was pressed still gets the state it was pressed in.
class X11Keyboard final : public KeyStatePort {
public:
    explicit X11Keyboard(_XDisplay* display) : display_(display) {}

    // The virtual-key code of an X keycode, from the keysym on its first level (or the key's
    // place, see KeycodeToVirtualKey) and, for the keypad, the NumLock state.
    std::uint16_t VirtualKeyOf(unsigned keycode);

    // Whether any key with this code is held. The generic Shift, Ctrl and Alt codes (0x10 to
    // 0x12) are held when either side is.
    bool IsKeyDown(std::uint16_t virtualKey) override;

    // The locked modifiers (a mask of the eight real modifiers) as the server reports them.
    void SetLockedModifiers(unsigned lockedModifiers) { lockedModifiers_ = lockedModifiers; }

private:
    bool NumLockOn() const;

    _XDisplay* display_;
    unsigned lockedModifiers_ = 0;
};
