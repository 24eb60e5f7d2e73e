#include "reports/KeyFrequencyReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TempFolder.h"

namespace {

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

KeyFrequencyTable TableOf(std::initializer_list<std::pair<std::int32_t, std::int32_t>> counts) {
    KeyFrequencyTable table;
    table.FillKeyNames();
    for (const auto& [code, count] : counts) {
        for (std::int32_t i = 0; i < count; ++i)
            table.Increment(code);
    }
    return table;
}

TEST(KeyFrequencyReport, RowsAreSortedByCountAndGrouped) {
    const auto table = TableOf({{0x41, 5}, {0x31, 1234}, {0xA0, 1234567}});
    const auto rows = KeyFrequencyReport::Rows(table);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Count, "1,234,567");
    EXPECT_EQ(rows[0].Key, "Left shift");
    EXPECT_EQ(rows[1].Count, "1,234");
    EXPECT_EQ(rows[1].Key, "1");
    EXPECT_EQ(rows[2].Count, "5");
    EXPECT_EQ(rows[2].Key, "A");
    EXPECT_TRUE(KeyFrequencyReport::Rows(KeyFrequencyTable{}).empty());
}

TEST(KeyFrequencyReport, ElementNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"Left ctrl", "LeftCtrl"},
        {"Right Winkey", "RightWindowsKey"},
        {"Esc", "Escape"},
        {"\\", "Backslash"},
        {"`", "Tilde"},
        {"Keypad: .", "KeypadDecimal"},
        {"Keypad: 7", "Keypad7"},
        {"0", "Num0"},
        {"9", "Num9"},
        {"A", "A"},
        {"Enter", "Enter"},
        {"Unknown", "Unknown"},
        {"Keypad Enter", "KeypadEnter"},
        {"Caps Lock", "CapsLock"},
    };
    for (const auto& [display, element] : cases) {
        EXPECT_EQ(KeyFrequencyReport::ElementName(display), element) << display;
    }
}

TEST(KeyFrequencyReport, XmlOfEmptyAndFilledTables) {
    EXPECT_EQ(KeyFrequencyReport::Xml(KeyFrequencyTable{}, 0),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<KeyFrequencies>\n\t<Letters>\n"
              "\t</Letters>\n</KeyFrequencies>");
    const auto table = TableOf({{0x41, 5}, {0x31, 1234}, {0xA0, 1234567}});
    const std::string xml = KeyFrequencyReport::Xml(table, 3);
    EXPECT_NE(xml.find("\t\t<LeftShift>1234567</LeftShift>\n"), std::string::npos);
    EXPECT_NE(xml.find("\t\t<Num1>1234</Num1>\n"), std::string::npos);
    EXPECT_NE(xml.find("\t\t<A>5</A>\n"), std::string::npos);
    // Only as many elements as the list has rows.
    const std::string two = KeyFrequencyReport::Xml(table, 2);
    EXPECT_EQ(std::count(two.begin(), two.end(), '\n'), 3 + 2 + 1);
}

// The page as it is written, byte for byte: carriage return and line feed after every line,
// none after the last tag, the rows' colours alternating, "%%" printed as "%".
TEST(KeyFrequencyReport, HtmlExportMatchesTheFixtureByteForByte) {
    setenv("TZ", "UTC", 1);
    tzset();
    KeyFrequencyReport::Figures figures;
    figures.AccountName = "alice";
    figures.CurrentKeys = 1234;
    figures.CurrentClicks = 56;
    figures.TotalKeys = 1234567;
    figures.TotalClicks = 7890;
    figures.KeysSinceLastReset = 999;
    figures.LastReset = 86400;
    figures.KeepRecord = false;
    figures.HomePage = "http://stats.example:8080/";
    const std::vector<KeyFrequencyReport::Row> rows = {
        {"1,234,567", "Left shift"}, {"1,234", "1"}, {"5", "A"}};
    const std::string html = KeyFrequencyReport::Html(figures, rows);

    const TempFolder folder;
    const std::string file = (folder / "Key Frequencies.html").string();
    std::string error;
    ASSERT_TRUE(KeyFrequencyReport::WriteExport(file, html, &error)) << error;
    const std::string expected = ReadBytes(std::filesystem::path(KESTROVIN_SOURCE_DIR) / "tests" /
                                           "reports" / "fixtures" / "KeyFrequencies.html");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadBytes(file), expected);

    figures.KeepRecord = true;
    EXPECT_NE(KeyFrequencyReport::Html(figures, rows).find("tracking is <b>enabled</b>\n\n"),
              std::string::npos);
}

TEST(KeyFrequencyReport, ResetDateIsUnknownForSmallOrNegativeTimes) {
    setenv("TZ", "UTC", 1);
    tzset();
    for (std::int64_t t : {-5, 0, 10})
        EXPECT_EQ(KeyFrequencyReport::ResetDate(t), "Unknown") << t;
    EXPECT_EQ(KeyFrequencyReport::ResetDate(86400), "1970/01/02 00:00:00");
}

}  // namespace
