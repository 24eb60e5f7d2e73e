#include "app/TooltipText.h"

#include <gtest/gtest.h>

#include "counting/AppRecord.h"

namespace {

TEST(TooltipTextTest, ShowsTheUnsentCountsInTheUsersUnit) {
    const struct {
        std::int32_t keys, clicks;
        double metres;
        std::int32_t distanceType;
        const char* text;
    } cases[] = {
        {0, 0, 0, 0, "Kestrovin \n Keys: 0\n Clicks: 0\n Miles: 0.00 "},
        {1, 1, 1500, 1, "Kestrovin \n Key: 1\n Click: 1\n Kilometers: 1.50 "},
        {1234, 123, 12.345, 2, "Kestrovin \n Keys: 1,234\n Clicks: 123\n Meters: 12.35 "},
        {2, 1000000, 1609.344, 7, "Kestrovin \n Keys: 2\n Clicks: 1,000,000\n Miles: 1.00 "},
    };
    for (const auto& c : cases) {
        AppRecord record;
        record.Account.AddUnsentKeys(c.keys);
        record.Account.AddUnsentClicks(c.clicks);
        record.Account.AddUnsentMetres(c.metres);
        record.Prefs.DistanceType = c.distanceType;
        EXPECT_EQ(TooltipText(record), c.text);
    }
}

}  // namespace
