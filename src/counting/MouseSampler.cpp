#include "counting/MouseSampler.h"

#include <cmath>
#include <cstdlib>

#include "counting/AccountState.h"
#include "counting/DistanceUnit.h"
#include "counting/Preferences.h"
#include "ports/PointerPort.h"

MouseSampler::MouseSampler(PointerPort& pointer, AccountState& account,
                           const Preferences& preferences)
    : pointer_(pointer), account_(account), preferences_(preferences) {}

void MouseSampler::MeasureScreen() {
    pointer_.MeasurePixelsPerInch(PixelsPerInchX, PixelsPerInchY);
}

void MouseSampler::Sample() {
    if (preferences_.Distance.Load() == 0 || pointer_.IsRemoteSession()) {
        return;
    }
    if (PixelsPerInchX <= 0 || PixelsPerInchY <= 0) {
        return;  // an unmeasured screen would divide by zero
    }
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (!pointer_.GetCursorPos(x, y) || (x == LastX && y == LastY)) {
        return;
    }
    const std::int64_t dx = std::llabs(static_cast<std::int64_t>(x) - LastX);
    const std::int64_t dy = std::llabs(static_cast<std::int64_t>(y) - LastY);
    // The two axis distances are summed before the root is taken, not squared: the server's
    // totals have always been measured this way.
    const double inches = std::sqrt(static_cast<double>(dy) / PixelsPerInchY +
                                    static_cast<double>(dx) / PixelsPerInchX);
    LastX = x;
    LastY = y;
    if (inches > 0) {
        account_.AddUnsentMetres(inches * kMetresPerInch);
    }
}
