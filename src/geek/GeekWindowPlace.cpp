#include "geek/GeekWindowPlace.h"

#include <algorithm>

GeekWindowPlace GeekWindowPlace::Fit(GeekWindowPlace wanted, const GeekWindowPlace& available) {
    const std::int64_t width = std::max<std::int64_t>(available.Width, 1);
    const std::int64_t height = std::max<std::int64_t>(available.Height, 1);
    wanted.Width = std::clamp<std::int64_t>(wanted.Width, 1, width);
    wanted.Height = std::clamp<std::int64_t>(wanted.Height, 1, height);
    wanted.X = std::clamp(wanted.X, available.X, available.X + width - wanted.Width);
    wanted.Y = std::clamp(wanted.Y, available.Y, available.Y + height - wanted.Height);
    return wanted;
}
