#include "counting/DistanceUnit.h"

#include <gtest/gtest.h>

namespace {

TEST(DistanceUnitTest, ConvertsTheUnsentMetresIntoTheChosenUnit) {
    const struct {
        double metres;
        std::int32_t type;
        bool forServer;
        double expected;
        const char* name;
    } cases[] = {
        {1609.344, 1, true, 1.0, "Kilometers"},   {1609.344, 1, false, 1.609344, "Kilometers"},
        {1609.344, 2, false, 1609.344, "Meters"}, {1609.344, 0, false, 1.0, "Miles"},
        {1609.344, 7, false, 1.0, "Miles"},       {1609.344, -1, false, 1.0, "Miles"},
        {0.0, 2, false, 0.0, "Meters"},           {0.0, 0, true, 0.0, "Miles"},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(DistanceInUnit(c.metres, c.type, c.forServer), c.expected) << c.type;
        EXPECT_STREQ(DistanceUnitName(c.type), c.name) << c.type;
    }
}

}  // namespace
