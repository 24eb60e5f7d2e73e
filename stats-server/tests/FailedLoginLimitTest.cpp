#include "FailedLoginLimit.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;

TEST(FailedLoginLimitTest, RefusesAKeyAfterTooManyFailuresUntilItsWindowEnds) {
    FailedLoginLimit limit(3, 1min);
    const auto start = FailedLoginLimit::Clock::time_point{} + 1h;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(limit.Allows("account:1", start)) << i;
        limit.RecordFailure("account:1", start + std::chrono::seconds(i));
    }
    EXPECT_FALSE(limit.Allows("account:1", start + 30s));
    EXPECT_TRUE(limit.Allows("account:2", start + 30s));  // other keys are untouched
    EXPECT_TRUE(limit.Allows("account:1", start + 1min));
    limit.RecordFailure("account:1", start + 1min);  // a new window starts counting afresh
    EXPECT_TRUE(limit.Allows("account:1", start + 1min));
}

}  // namespace
