#pragma once

#include "ports/Clock.h"

// A clock that says what the test tells it.
class FixedClock final : public Clock {
public:
    explicit FixedClock(std::int64_t now = 1'700'000'000) : now_(now) {}
    std::int64_t Now() const override { return now_; }
    void Set(std::int64_t now) { now_ = now; }
    void Advance(std::int64_t seconds) { now_ += seconds; }

private:
    std::int64_t now_;
};
