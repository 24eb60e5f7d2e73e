#pragma once

#include <cstdint>

struct AccountState;
struct Preferences;
class PointerPort;

// Measures mouse travel by sampling the cursor once a second and adds it, in metres, to the
// unsent distance. Sample runs on the mouse thread only.
class MouseSampler {
public:
    MouseSampler(PointerPort& pointer, AccountState& account, const Preferences& preferences);

    // Reads the screen's pixels per inch; called once before the mouse thread starts.
    void MeasureScreen();
    void Sample();

    std::int32_t PixelsPerInchX = 0;
    std::int32_t PixelsPerInchY = 0;
    std::int32_t LastX = 0;
    std::int32_t LastY = 0;

private:
    PointerPort& pointer_;
    AccountState& account_;
    const Preferences& preferences_;
};
