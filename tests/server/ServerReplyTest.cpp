#include "server/ServerReply.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

TEST(ServerReplyTest, LenientIntegers) {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"42", 42},
        {" \t\r\n42", 42},
        {"+7x", 7},
        {"-13 apples", -13},
        {"", 0},
        {"abc", 0},
        {"- 5", 0},
        {"12.9", 12},
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"-2147483648", kMin},
        {"-99999999999999999999", kMin},
        {"0x1F", 0},
        {"00012", 12},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ServerReply::LenientInteger(text), expected) << '"' << text << '"';
    }
}

TEST(ServerReplyTest, LenientDecimals) {
    const std::vector<std::pair<std::string, double>> cases = {
        {"12.5", 12.5}, {"  -0.25mi", -0.25}, {"+3", 3},     {".5", 0.5},
        {"7.", 7},      {"1e3", 1000},        {"2.5e", 2.5}, {"", 0},
        {"x1", 0},      {"inf", 0},           {"nan", 0},    {"-", 0},
        {"1e999", 0},   {"0x10", 0},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ServerReply::LenientDecimal(text), expected) << '"' << text << '"';
    }
}

TEST(ServerReplyTest, StatusFieldsAndRemoval) {
    EXPECT_TRUE(ServerReply::HasStatus("100 P OK anything", "100 P OK"));
    EXPECT_TRUE(ServerReply::HasStatus("100 P OKAY", "100 P OK"));
    EXPECT_FALSE(ServerReply::HasStatus("100 P O", "100 P OK"));
    EXPECT_FALSE(ServerReply::HasStatus(" 100 P OK", "100 P OK"));

    EXPECT_EQ(ServerReply::WithoutEvery("100 OK a100 OK b100 OK ", "100 OK "), "ab");
    // One pass: what the removal joins together stays.
    EXPECT_EQ(ServerReply::WithoutEvery("100 100 OK OK c", "100 OK "), "100 OK c");

    using Fields = std::vector<std::string>;
    EXPECT_EQ(ServerReply::Fields("a\tb\tc", '\t'), (Fields{"a", "b", "c"}));
    EXPECT_EQ(ServerReply::Fields("", '\t'), (Fields{""}));
    EXPECT_EQ(ServerReply::Fields("\t", '\t'), (Fields{"", ""}));
    EXPECT_EQ(ServerReply::Fields("a\t\tb\t", '\t'), (Fields{"a", "", "b", ""}));
}

}  // namespace
