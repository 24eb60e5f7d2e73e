#pragma once

#include <cstdint>

// Wall-clock seam: the core asks this for "now" so tests can fix the time.
class Clock {
public:
    virtual ~Clock() = default;

    // Seconds since 1970-01-01 00:00 UTC.
    virtual std::int64_t Now() const = 0;
};

class SystemClock final : public Clock {
public:
    std::int64_t Now() const override;

    static const SystemClock& Instance();
};
