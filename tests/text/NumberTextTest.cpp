#include "text/NumberText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

#include "app/SkeldNowLabel.h"
#include "app/TooltipText.h"
#include "counting/AppRecord.h"
#include "support/GermanLocale.h"
#include "text/FormatCount.h"

namespace {

using namespace NumberText;

TEST(NumberTextTest, FormatsLikeTheCLibraryInTheCLocale) {
    EXPECT_EQ(Integer(-42), "-42");
    EXPECT_EQ(Integer(std::numeric_limits<std::int32_t>::min()), "-2147483648");

    const struct {
        double value;
        const char* shortForm;
        const char* twoDecimals;
    } cases[] = {
        {123.456, "123.456", "123.46"},    {0.0, "0", "0.00"},
        {100000.0, "100000", "100000.00"}, {1234567.0, "1.23457e+06", "1234567.00"},
        {0.0001, "0.0001", "0.00"},        {0.00001234, "1.234e-05", "0.00"},
        {-2.5, "-2.5", "-2.50"},           {1.0 / 3.0, "0.333333", "0.33"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Short(c.value), c.shortForm) << c.value;
        EXPECT_EQ(Fixed(c.value, 2), c.twoDecimals) << c.value;
    }
    EXPECT_EQ(Fixed(1234.5678, 3), "1234.568");
    EXPECT_EQ(Fixed(2.5, 0), "2");
}

// A figure from a hostile server or an edited file can be as large as a double goes: every
// digit is written, never a cut-off or uninitialised buffer.
TEST(NumberTextTest, TheLargestValuesAreWrittenInFull) {
    char printed[400];
    std::snprintf(printed, sizeof printed, "%.2f", 1e70);
    EXPECT_EQ(Fixed(1e70, 2), printed);
    EXPECT_EQ(Short(1e70), "1e+70");
    const double largest = std::numeric_limits<double>::max();
    const std::string text = Fixed(-largest, 2);
    EXPECT_EQ(text.size(), 1u + 309u + 3u);
    EXPECT_EQ(text.substr(0, 8), "-1797693");
    EXPECT_EQ(text.substr(text.size() - 3), ".00");
    EXPECT_EQ(Short(largest), "1.79769e+308");
}

TEST(NumberTextTest, EveryPrintedNumberKeepsThePointUnderAGermanLocale) {
    GermanLocale german;
    if (!german.Active()) {
        GTEST_SKIP() << GermanLocale::kSkipReason;
    }
    char check[16];
    std::snprintf(check, sizeof check, "%.2f", 0.5);
    ASSERT_STREQ(check, "0,50");  // the locale is in force

    EXPECT_EQ(Fixed(1234.5, 2), "1234.50");
    EXPECT_EQ(Short(0.25), "0.25");
    EXPECT_EQ(FormatCount(1234567), "1,234,567");
    EXPECT_EQ(SkeldNowLabel(3, 7200), "Skeld Now!  (Auto in 2 Hours)");
    AppRecord record;
    record.Account.AddUnsentMetres(1609.344 * 1.5);
    record.Prefs.DistanceType = 0;
    EXPECT_EQ(TooltipText(record), "Kestrovin \n Keys: 0\n Clicks: 0\n Miles: 1.50 ");
}

}  // namespace
