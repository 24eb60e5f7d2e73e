#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

// Counts stop at the limits of their 32 bits instead of overflowing: a total taken over from
// the server or from an edited file may already stand at the limit.
constexpr std::int32_t SaturatingAdd(std::int32_t count, std::int32_t n) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{count} + n, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

// Adds one to a count on the counting path (no allocation, one compare).
constexpr void CountOne(std::int32_t& count) {
    if (count < std::numeric_limits<std::int32_t>::max()) {
        ++count;
    }
}
