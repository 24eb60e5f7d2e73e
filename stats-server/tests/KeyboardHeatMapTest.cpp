#include "KeyboardHeatMap.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyboardHeatMapTest, ReadsTheClientsElementsLeniently) {
    const auto counts = KeyboardHeatMap::ParseCounts(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<KeyFrequencies>\n\t<Letters>\n"
        "\t\t<Unknown>3</Unknown>\n\t\t<Space> 40 </Space>\n\t\t<Unknown>4</Unknown>\n"
        "\t\t<A>x</A>\n\t\t<B>-2</B>\n\t\t<C>7</D>\n\t\t<Num0>0</Num0>\n\t\t<Enter>99999999999</"
        "Enter>"
        "\n\t</Letters>\n</KeyFrequencies><Z>5");
    const KeyboardHeatMap::Counts expected = {{"Unknown", 7}, {"Space", 40}, {"Enter", 2147483647}};
    EXPECT_EQ(counts, expected);
    EXPECT_TRUE(KeyboardHeatMap::ParseCounts("").empty());
    EXPECT_TRUE(KeyboardHeatMap::ParseCounts("<<<>>></<A>1</A").empty());
}

TEST(KeyboardHeatMapTest, DrawsEveryKeyAndListsTheOnesItHasNoPlaceFor) {
    const std::string svg = KeyboardHeatMap::Svg({{"Space", 10}, {"A", 1}, {"F14", 2}});
    EXPECT_TRUE(svg.starts_with("<?xml"));
    EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_NE(svg.find("13 keystrokes"), std::string::npos);
    // The busiest key gets the hottest colour, an unused one stays grey.
    EXPECT_NE(svg.find("<title>Space: 10</title><rect"), std::string::npos);
    const std::size_t space = svg.find("<title>Space: 10</title>");
    EXPECT_NE(svg.find("fill=\"#c81e14\"", space), std::string::npos);
    const std::size_t b = svg.find("<title>B: 0</title>");
    ASSERT_NE(b, std::string::npos);
    EXPECT_EQ(svg.find("fill=\"#e4e6ea\"", b), svg.find("fill=", b));
    EXPECT_NE(svg.find("Other keys: F14 2"), std::string::npos);
    EXPECT_TRUE(svg.ends_with("</svg>\n"));
}

}  // namespace
