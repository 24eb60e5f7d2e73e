#include "app/SkeldTimer.h"

#include <gtest/gtest.h>

#include "counting/AppRecord.h"
#include "support/FixedClock.h"
#include "support/ScopedEnvironment.h"

namespace {

constexpr std::int64_t kHour = 3600;
// Central European time written out as a rule, so no zone files are needed: summer time
// from the last Sunday of March 02:00 to the last Sunday of October 03:00.
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";

class SkeldTimerTest : public ::testing::Test {
protected:
    void InZone(const char* tz) { environment.Set("TZ", tz); }
    void Schedule(std::int32_t lastSkeld, std::int32_t hours) {
        record.Account.tLastSkeld = lastSkeld;
        record.Prefs.SkeldEveryHours = hours;
    }

    ScopedEnvironment environment;
    AppRecord record;
    FixedClock clock;
    SkeldTimer timer{record, clock};
};

TEST_F(SkeldTimerTest, CountsDownFromTheLastSkeld) {
    InZone("UTC0");
    const std::int32_t last = 1'700'000'000;
    const struct {
        std::int32_t lastSkeld, hours;
        std::int64_t now;
        std::int32_t seconds;
    } cases[] = {
        {last, 2, last + 2 * kHour - 30, 30},
        {last, 2, last + 2 * kHour, 0},
        {last, 2, last + 3 * kHour, -3600},
        {last, 0, last + kHour, 11 * 3600},  // no hours set: every 12 hours
        {last, 5, last - kHour, 6 * 3600},   // clock set back before the last skeld
        // Never skelded: always 12 hours from now, whatever the hours.
        {0, 3, last, 12 * 3600},
        {0, 3, last + 100 * kHour, 12 * 3600},
        {0, 0, last, 12 * 3600},
    };
    for (const auto& c : cases) {
        Schedule(c.lastSkeld, c.hours);
        clock.Set(c.now);
        EXPECT_EQ(timer.SecondsTilSkeld(), c.seconds) << c.lastSkeld << " " << c.now;
        EXPECT_EQ(timer.IsDue(), c.seconds <= 0) << c.lastSkeld << " " << c.now;
    }
}

TEST_F(SkeldTimerTest, SpringForwardBringsTheSkeldAnHourEarlier) {
    InZone(kBerlin);
    // 2024-03-31 01:00 CET; at 02:00 the clocks jump to 03:00.
    const std::int32_t last = 1'711'843'200;
    Schedule(last, 3);
    EXPECT_EQ(timer.NextSkeldTime(), LocalDateTime::FromTime(last + 2 * kHour));  // 04:00 CEST
    const struct {
        std::int64_t elapsed;
        std::int32_t seconds;
    } cases[] = {
        {kHour - 1, 2 * 3600 + 1},  // 01:59:59 CET
        {kHour, 3600},              // 03:00 CEST
        {2 * kHour - 1, 1},
        {2 * kHour, 0},  // due after two real hours, not three
    };
    for (const auto& c : cases) {
        clock.Set(last + c.elapsed);
        EXPECT_EQ(timer.SecondsTilSkeld(), c.seconds) << c.elapsed;
    }
}

TEST_F(SkeldTimerTest, FallBackBringsTheSkeldAnHourLater) {
    InZone(kBerlin);
    // 2024-10-27 01:00 CEST; at 03:00 the clocks go back to 02:00.
    const std::int32_t last = 1'729'983'600;
    Schedule(last, 3);
    const struct {
        std::int64_t elapsed;
        std::int32_t seconds;
    } cases[] = {
        {kHour, 7200},      // 02:00 CEST
        {2 * kHour, 7200},  // 02:00 CET again: the countdown stood still for an hour
        {3 * kHour, 3600}, {4 * kHour - 1, 1}, {4 * kHour, 0},  // due after four real hours
    };
    for (const auto& c : cases) {
        clock.Set(last + c.elapsed);
        EXPECT_EQ(timer.SecondsTilSkeld(), c.seconds) << c.elapsed;
    }
}

TEST_F(SkeldTimerTest, NeverSkeldedStaysTwelveHoursAwayAcrossAChange) {
    InZone(kBerlin);
    Schedule(0, 1);
    clock.Set(1'711'843'200 + kHour);  // 03:00 CEST, just after the jump
    EXPECT_EQ(timer.SecondsTilSkeld(), 12 * 3600);
}

}  // namespace
