#include "app/SkeldNowLabel.h"

#include <gtest/gtest.h>

namespace {

TEST(SkeldNowLabelTest, ShowsTheTimeLeftInTheLargestFittingUnit) {
    const struct {
        std::int32_t hours, seconds;
        const char* label;
    } cases[] = {
        {0, 5000, "Skeld Now!"},  // skelds by the hour are off
        {2, -1, "Skeld Now!"},
        {2, 0, "Skeld Now!"},
        {2, 1, "Skeld Now!  (Auto in 1 Seconds)"},
        {2, 30, "Skeld Now!  (Auto in 30 Seconds)"},
        {2, 59, "Skeld Now!  (Auto in 59 Seconds)"},
        {2, 60, "Skeld Now!  (Auto in 1 Minutes)"},
        {2, 89, "Skeld Now!  (Auto in 1 Minutes)"},
        {2, 91, "Skeld Now!  (Auto in 2 Minutes)"},
        {2, 3600, "Skeld Now!  (Auto in 60 Minutes)"},
        {2, 3601, "Skeld Now!  (Auto in 1 Hours)"},
        {12, 43200, "Skeld Now!  (Auto in 12 Hours)"},
        {3, 9000, "Skeld Now!  (Auto in 2 Hours)"},  // 2.5 rounds to even, as printf does
        {3, 9001, "Skeld Now!  (Auto in 3 Hours)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SkeldNowLabel(c.hours, c.seconds), c.label) << c.hours << " " << c.seconds;
    }
}

}  // namespace
