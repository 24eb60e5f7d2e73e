#include "app/LogLineLimit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FixedClock.h"

namespace {

using Lines = std::vector<std::string>;

class LogLineLimitTest : public ::testing::Test {
protected:
    FixedClock clock;
    Lines written;
    LogLineLimit limit{clock, 3, 60, "Lock",
                       [this](const std::string& line) { written.push_back(line); }};
};

TEST_F(LogLineLimitTest, ABurstIsCutAndTheCountComesWhenItsPeriodIsOver) {
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(limit.Write(std::to_string(i)), i < 3) << i;
    }
    EXPECT_EQ(written, (Lines{"0", "1", "2"}));

    clock.Advance(59);
    EXPECT_TRUE(limit.Flush());  // the period still runs: the count waits
    EXPECT_EQ(written.size(), 3u);
    clock.Advance(1);
    EXPECT_FALSE(limit.Flush());
    EXPECT_EQ(written.back(), "Lock: 7 more lines left out, at most 3 are written in 60 seconds");
    EXPECT_FALSE(limit.Flush());
    EXPECT_EQ(written.size(), 4u);

    EXPECT_TRUE(limit.Write("after"));
    EXPECT_EQ(written.back(), "after");
}

TEST_F(LogLineLimitTest, TheFirstLineOfTheNextPeriodComesAfterTheCount) {
    for (int i = 0; i < 5; ++i) {
        limit.Write(std::to_string(i));
    }
    clock.Advance(61);
    EXPECT_TRUE(limit.Write("next"));
    EXPECT_EQ(written,
              (Lines{"0", "1", "2",
                     "Lock: 2 more lines left out, at most 3 are written in 60 seconds", "next"}));
}

TEST_F(LogLineLimitTest, AClockSetBackStartsANewPeriod) {
    for (int i = 0; i < 4; ++i) {
        limit.Write(std::to_string(i));
    }
    clock.Advance(-3600);
    EXPECT_TRUE(limit.Write("back"));
    EXPECT_EQ(written.size(), 5u);
    EXPECT_EQ(written.back(), "back");
}

}  // namespace
