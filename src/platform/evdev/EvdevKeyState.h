#pragma once

#include <bitset>
#include <cstdint>

#include "ports/KeyStatePort.h"
#include "ports/RawInput.h"

// Which keys are held, as the evdev stream has told so far: the source applies each key record
// just before handing it on, so a handler sees the state the key was typed in.
class EvdevKeyState final : public KeyStatePort {
public:
    void Apply(const RawInput& input);

    // The generic Shift, Ctrl and Alt codes (0x10 to 0x12) are held when either side is.
    bool IsKeyDown(std::uint16_t virtualKey) override;

private:
    std::bitset<256> held_;
};
