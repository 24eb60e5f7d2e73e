#include "reports/KeyFrequencyReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

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

TEST(KeyFrequencyReport, HtmlRowsAlternateAndEndWithoutLineFeed) {
    setenv("TZ", "UTC", 1);
    tzset();
    KeyFrequencyReport::Figures figures;
    figures.AccountName = "alice";
    figures.TotalKeys = 1234567;
    figures.KeepRecord = true;
    const std::string html =
        KeyFrequencyReport::Html(figures, {{"1,234", "A"}, {"5", "B"}, {"1", "C"}});
    EXPECT_TRUE(
        html.starts_with("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n"));
    EXPECT_TRUE(html.ends_with("&copy; Kestrovin</a></td>\n</tr>\n</table>\n</body>\n</html>"));
    EXPECT_NE(html.find("<td>Total keycount:</td> <td>1,234,567</td>\n"), std::string::npos);
    EXPECT_NE(html.find("<td>Last reset date:</td> <td>1970/01/01 00:00:00</td>"),
              std::string::npos);
    EXPECT_NE(html.find("tracking is <b>enabled</b>\n\n"), std::string::npos);
    EXPECT_NE(html.find("width=\"70%\""), std::string::npos);
    EXPECT_EQ(html.find("%%"), std::string::npos);
    const auto first =
        html.find("<tr bgcolor=\"#ffffff\">\n<td align=\"center\" width=\"50%\">1,234</td>");
    const auto second =
        html.find("<tr bgcolor=\"#f0f0f0\">\n<td align=\"center\" width=\"50%\">5</td>");
    const auto third =
        html.find("<tr bgcolor=\"#ffffff\">\n<td align=\"center\" width=\"50%\">1</td>");
    EXPECT_NE(first, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    const std::string crlf = KeyFrequencyReport::WithCrLf(html);
    EXPECT_EQ(crlf.find("\n"), crlf.find("\r\n") + 1);
    EXPECT_FALSE(crlf.ends_with("\n"));
}

TEST(KeyFrequencyReport, ResetDateIsUnknownForSmallOrNegativeTimes) {
    setenv("TZ", "UTC", 1);
    tzset();
    for (std::int64_t t : {-5, 0, 10})
        EXPECT_EQ(KeyFrequencyReport::ResetDate(t), "Unknown") << t;
    EXPECT_EQ(KeyFrequencyReport::ResetDate(86400), "1970/01/02 00:00:00");
}

}  // namespace
