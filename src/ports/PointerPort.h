#pragma once

#include <cstdint>

// What the mouse sampler needs from the desktop: the screen's logical pixels per inch, the
// cursor position and whether the desktop is a remote session. Called from the mouse thread
// (except MeasurePixelsPerInch, called once before it starts).
class PointerPort {
public:
    virtual ~PointerPort() = default;

    virtual void MeasurePixelsPerInch(std::int32_t& perInchX, std::int32_t& perInchY) = 0;
    // False when the position cannot be read.
    virtual bool GetCursorPos(std::int32_t& x, std::int32_t& y) = 0;
    // Under a remote session the cursor is not the local mouse.
    virtual bool IsRemoteSession() = 0;
};
