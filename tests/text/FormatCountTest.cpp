#include "text/FormatCount.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatCountTest, GroupsDigitsByThreeFromTheRight) {
    const struct {
        std::int32_t count;
        const char* text;
    } cases[] = {
        {0, "0"},
        {7, "7"},
        {999, "999"},
        {1000, "1,000"},
        {12345, "12,345"},
        {1234567, "1,234,567"},
        {100000, "100,000"},
        {2147483647, "2,147,483,647"},
        {-1234, "-1,234"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatCount(c.count), c.text) << c.count;
    }
}

}  // namespace
