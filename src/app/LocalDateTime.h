#pragma once

#include <compare>
#include <cstdint>

// A date and time on the local wall clock with no zone attached, counted in seconds from
// 1970-01-01 00:00 local time. The distance between two of them is their wall-clock distance:
// a daylight-saving change between them does not count, just as a calendar on the wall does
// not skip or repeat an hour.
struct LocalDateTime {
    std::int64_t WallSeconds = 0;

    // The local date and time of a moment in seconds since 1970-01-01 00:00 UTC, in the time
    // zone the C library is set to (TZ, else the system's zone).
    static LocalDateTime FromTime(std::int64_t secondsSince1970);

    LocalDateTime PlusHours(std::int64_t hours) const { return {WallSeconds + hours * 3600}; }

    friend std::int64_t operator-(LocalDateTime a, LocalDateTime b) {
        return a.WallSeconds - b.WallSeconds;
    }
    friend auto operator<=>(const LocalDateTime&, const LocalDateTime&) = default;
};
