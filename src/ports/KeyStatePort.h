#pragma once

#include <cstdint>

// Whether a key is held down at this moment, by Windows virtual-key code (what GetKeyState
// reports as negative). Used to tell the left from the right modifier.
class KeyStatePort {
public:
    virtual ~KeyStatePort() = default;
    virtual bool IsKeyDown(std::uint16_t virtualKey) = 0;
};
