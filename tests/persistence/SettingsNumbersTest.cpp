#include "persistence/SettingsNumbers.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

using namespace SettingsNumbers;

TEST(SettingsNumbersTest, LeadingIntReadsUpToTheFirstOtherCharacter) {
    const struct {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"7x", 7},
        {"x", 0},
        {"-3", -3},
        {"", 0},
        {" \t+12 34", 12},
        {"--1", 0},
        {"+-1", 0},
        {"- 1", 0},
        {"0012", 12},
        {"2147483647", 2147483647},
        {"2147483648", std::numeric_limits<std::int32_t>::max()},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-99999999999999999999", std::numeric_limits<std::int32_t>::min()},
        {"1.9", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingInt(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(SettingsNumbersTest, LeadingRealTakesTheLongestDecimalNumber) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"123.456", 123.456},
        {"123.46", 123.46},
        {" -2.5e-3x", -2.5e-3},
        {"+.5", 0.5},
        {"5.", 5.0},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"1E2", 100.0},
        {".", 0.0},
        {"-", 0.0},
        {"", 0.0},
        {"abc", 0.0},
        {"inf", 0.0},
        {"nan", 0.0},
        {"0x10", 0.0},
        {"1,5", 1.0},
        {"1e-400", 0.0},
        {"1e999", std::numeric_limits<double>::max()},
        {"-1e999", -std::numeric_limits<double>::max()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingReal(c.text), c.expected) << '"' << c.text << '"';
    }
}

}  // namespace
