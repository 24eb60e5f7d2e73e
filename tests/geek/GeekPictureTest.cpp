// What the Geek Window draws: its texts and where, for a table of counter states.
#include "geek/GeekPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "counting/AccountState.h"
#include "counting/Preferences.h"
#include "geek/GeekSkin.h"

namespace {

using Placed = GeekPicture::PlacedText;

// Seven pixels a character stands in for the window's font.
int SevenPerChar(const std::string& text) {
    return 7 * static_cast<int>(text.size());
}

class GeekPictureTest : public testing::Test {
protected:
    GeekPictureTest() {
        GeekSkin::RestoreDefault(prefs);
        prefs.SkeldEveryHours = 2;
    }

    GeekPicture Picture(bool showNextSkeld = true) {
        return GeekPicture::Of(account, prefs, showNextSkeld, [this] { return seconds; });
    }

    AccountState account;
    Preferences prefs;
    std::int32_t seconds = 100;
};

TEST_F(GeekPictureTest, DefaultSkinPlacesEveryValueWhereItsLabelEnds) {
    account.AddUnsentKeys(1234567);
    account.AddUnsentClicks(999);
    account.TotalKeys = 1000;
    account.TotalClicks = -1234;
    account.Rank = 3;
    account.KeysLastSkeld = 250;
    account.UnsentMetres = 1609.344 * 2.5;
    prefs.DistanceType = 0;
    seconds = 7200;

    const std::vector<Placed> expected = {
        {"kc: ", 2, 2, true},
        {"1,234,567", 2 + 28, 2, false},
        {"mc: ", 2, 15, true},
        {"999", 2 + 28, 15, false},
        {"tkc: ", 100, 2, true},
        {"1,000", 100 + 35, 2, false},
        {"tmc: ", 100, 15, true},
        {"-1,234", 100 + 35, 15, false},
        {"rank: ", 2, 28, true},
        {"3rd", 2 + 42, 28, false},
        {"klp: ", 100, 28, true},
        {"250", 100 + 35, 28, false},
        {"Miles moved: ", 2, 41, true},
        {"2.50", 2 + 91, 41, false},
        {"Next skeld in 2 hours.", 2, 54, false},
    };
    EXPECT_EQ(Picture().Place(SevenPerChar), expected);
}

TEST_F(GeekPictureTest, DistanceRowNamesTheUnitAndConverts) {
    account.UnsentMetres = 1234.5;
    const struct {
        std::int32_t Type;
        const char* Label;
        const char* Value;
    } cases[] = {{1, "Kilometers moved: ", "1.23"},
                 {2, "Meters moved: ", "1234.50"},
                 {0, "Miles moved: ", "0.77"},
                 {7, "Miles moved: ", "0.77"}};
    for (const auto& c : cases) {
        prefs.DistanceType = c.Type;
        const GeekPicture::Row row = Picture().Rows.at(6);
        EXPECT_EQ(row.Label, c.Label);
        EXPECT_EQ(row.Value, c.Value) << c.Type;
    }
}

TEST(GeekRankText, ZeroIsNotApplicableAndOthersAreOrdinals) {
    const struct {
        std::int32_t Rank;
        const char* Text;
    } cases[] = {{0, "n/a"},     {1, "1st"},     {2, "2nd"},     {3, "3rd"},      {4, "4th"},
                 {11, "11th"},   {12, "12th"},   {13, "13th"},   {21, "21st"},    {22, "22nd"},
                 {101, "101st"}, {111, "111th"}, {112, "112th"}, {1013, "1013th"}};
    for (const auto& c : cases) {
        EXPECT_EQ(GeekRankText(c.Rank), c.Text) << c.Rank;
    }
}

TEST_F(GeekPictureTest, NextSkeldLineWordingAndWhenItIsDrawn) {
    const struct {
        std::int32_t Seconds;
        const char* Text;
    } cases[] = {{3601, "Next skeld in 1 hours."},  {3600, "Next skeld in 60 minutes."},
                 {5400, "Next skeld in 2 hours."},  {61, "Next skeld in 1 minutes."},
                 {60, "Next skeld in 60 seconds."}, {0, "Next skeld in 0 seconds."},
                 {-5, "Next skeld in -5 seconds."}};
    for (const auto& c : cases) {
        seconds = c.Seconds;
        const GeekPicture picture = Picture();
        ASSERT_TRUE(picture.NextSkeld.has_value());
        EXPECT_EQ(picture.NextSkeld->Text, c.Text) << c.Seconds;
    }

    EXPECT_FALSE(Picture(false).NextSkeld.has_value());
    prefs.SkeldEveryHours = 0;
    EXPECT_FALSE(Picture(true).NextSkeld.has_value());
    EXPECT_EQ(Picture(true).Place(SevenPerChar).size(), 14u);
}

TEST_F(GeekPictureTest, PicturesDifferExactlyWhenTheWindowWouldLookDifferent) {
    const GeekPicture before = Picture();
    EXPECT_EQ(Picture(), before);

    account.AddUnsentKeys(1);
    EXPECT_NE(Picture(), before);
    account.ResetUnsentKeys();
    EXPECT_EQ(Picture(), before);

    prefs.rank_X = 40;  // positions are live
    EXPECT_NE(Picture(), before);
    prefs.rank_X = 2;

    seconds = 101;  // same wording: "2 minutes" either way
    EXPECT_EQ(Picture(), before);
    seconds = 3000;
    EXPECT_NE(Picture(), before);
}

}  // namespace
