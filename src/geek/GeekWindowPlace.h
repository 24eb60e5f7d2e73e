#pragma once

#include <cstdint>

// Where the Geek Window opens: its stored position and size, brought onto the screen. The
// settings are the user's to edit, and a window larger than the screen, or far off it, can
// neither be seen nor closed. The stored values stay as they are.
struct GeekWindowPlace {
    std::int64_t X = 0;
    std::int64_t Y = 0;
    std::int64_t Width = 1;
    std::int64_t Height = 1;

    bool operator==(const GeekWindowPlace&) const = default;

    // `wanted` made at least 1 × 1 and at most `available`'s size, and moved just enough to lie
    // inside `available` (the screen less its panels).
    static GeekWindowPlace Fit(GeekWindowPlace wanted, const GeekWindowPlace& available);
};
