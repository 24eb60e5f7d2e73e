#pragma once

#include <atomic>
#include <cstdint>
#include <limits>

// Where a cursor would be that only the mice's relative motion moves: added to on the
// user-interface thread as the devices report it, read on the mouse thread.
class RelativeMotion {
public:
    // Only one thread adds.
    void Add(long dx, long dy) {
        Move(x_, dx);
        Move(y_, dy);
    }
    void Position(std::int32_t& x, std::int32_t& y) const {
        x = x_.load(std::memory_order_relaxed);
        y = y_.load(std::memory_order_relaxed);
    }

private:
    // Held at the ends rather than wrapped: a wrap would read as a jump across the whole range.
    // The ends are kilometres of motion in one direction away.
    static void Move(std::atomic<std::int32_t>& axis, long delta) {
        const long long moved =
            static_cast<long long>(axis.load(std::memory_order_relaxed)) + delta;
        constexpr long long kLowest = std::numeric_limits<std::int32_t>::min();
        constexpr long long kHighest = std::numeric_limits<std::int32_t>::max();
        axis.store(static_cast<std::int32_t>(moved < kLowest    ? kLowest
                                             : moved > kHighest ? kHighest
                                                                : moved),
                   std::memory_order_relaxed);
    }

    std::atomic<std::int32_t> x_{0};
    std::atomic<std::int32_t> y_{0};
};
