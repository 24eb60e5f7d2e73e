// The default skin, the blank-skin check and the stored transparency and colours.
#include "geek/GeekSkin.h"

#include <gtest/gtest.h>

#include "counting/Preferences.h"

namespace {

Preferences DefaultSkin() {
    Preferences prefs;
    GeekSkin::RestoreDefault(prefs);
    return prefs;
}

TEST(GeekSkin, RestoreDefaultSetsPositionsColoursAndSizeOnly) {
    Preferences prefs;
    prefs.GeekTrans = 77;
    prefs.GeekViewNP = 0;
    prefs.SkinName = "Mine";
    prefs.GeekLastX = 300;
    GeekSkin::RestoreDefault(prefs);

    EXPECT_EQ(GeekSkin::Rgb(prefs.GeekBGr, prefs.GeekBGg, prefs.GeekBGb), 0x0099CCu);
    EXPECT_EQ(GeekSkin::Rgb(prefs.GeekFr, prefs.GeekFg, prefs.GeekFb), 0x000000u);
    EXPECT_EQ(GeekSkin::Rgb(prefs.GeekVr, prefs.GeekVg, prefs.GeekVb), 0xFFFFC0u);
    EXPECT_EQ(prefs.GeekWidth, 200);
    EXPECT_EQ(prefs.GeekHeight, 98);
    EXPECT_EQ(prefs.lastkeys_X, 100);
    EXPECT_EQ(prefs.lastkeys_Y, 28);
    EXPECT_EQ(prefs.timenextskeld_Y, 54);
    EXPECT_EQ(prefs.GeekTrans, 77);
    EXPECT_EQ(prefs.GeekViewNP, 0);
    EXPECT_EQ(prefs.SkinName, "Mine");
    EXPECT_EQ(prefs.GeekLastX, 300);
}

TEST(GeekSkin, BlankSkinCheckRestoresOnlyWhenAWholeGroupIsZero) {
    Preferences allPositionsZero = DefaultSkin();
    allPositionsZero.GeekBGr = 9;
    for (int* p :
         {&allPositionsZero.keycount_X, &allPositionsZero.keycount_Y,
          &allPositionsZero.mousecount_X, &allPositionsZero.mousecount_Y, &allPositionsZero.rank_X,
          &allPositionsZero.rank_Y, &allPositionsZero.meters_X, &allPositionsZero.meters_Y,
          &allPositionsZero.totalkeys_X, &allPositionsZero.totalkeys_Y,
          &allPositionsZero.totalmouse_X, &allPositionsZero.totalmouse_Y,
          &allPositionsZero.lastkeys_X, &allPositionsZero.lastkeys_Y,
          &allPositionsZero.timenextskeld_X, &allPositionsZero.timenextskeld_Y}) {
        *p = 0;
    }
    EXPECT_TRUE(GeekSkin::RestoreDefaultIfBlank(allPositionsZero));
    EXPECT_EQ(allPositionsZero.keycount_X, 2);
    EXPECT_EQ(allPositionsZero.GeekBGr, 0);  // colours come back too

    Preferences coloursAndSizeZero = DefaultSkin();
    coloursAndSizeZero.rank_X = 55;
    coloursAndSizeZero.GeekBGg = coloursAndSizeZero.GeekBGb = 0;
    coloursAndSizeZero.GeekVr = coloursAndSizeZero.GeekVg = coloursAndSizeZero.GeekVb = 0;
    coloursAndSizeZero.GeekHeight = coloursAndSizeZero.GeekWidth = 0;
    EXPECT_TRUE(GeekSkin::RestoreDefaultIfBlank(coloursAndSizeZero));
    EXPECT_EQ(coloursAndSizeZero.GeekWidth, 200);
    EXPECT_EQ(coloursAndSizeZero.rank_X, 2);

    // One position or one colour component not 0 keeps the user's skin, however often.
    Preferences onePosition;
    onePosition.GeekWidth = 0;
    onePosition.GeekHeight = 0;
    onePosition.timenextskeld_Y = 1;
    onePosition.GeekVb = 3;
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(GeekSkin::RestoreDefaultIfBlank(onePosition));
    }
    EXPECT_EQ(onePosition.keycount_X, 0);
    EXPECT_EQ(onePosition.GeekVb, 3);
}

TEST(GeekSkin, TransparencyKeepsToTheSliderRange) {
    const struct {
        std::int32_t Stored;
        bool Layered;
        int Alpha;
    } cases[] = {{150, false, 255}, {0, true, 105},    {149, true, 254}, {75, true, 180},
                 {151, false, 255}, {400, false, 255}, {-20, true, 105}};
    for (const auto& c : cases) {
        const auto t = GeekSkin::Transparency::From(c.Stored);
        EXPECT_EQ(t.Layered, c.Layered) << c.Stored;
        EXPECT_EQ(t.Alpha, c.Alpha) << c.Stored;
    }
}

TEST(GeekSkin, ColourComponentsUseTheirLowEightBits) {
    EXPECT_EQ(GeekSkin::Rgb(256, 255, 511), 0x00FFFFu);
    EXPECT_EQ(GeekSkin::Rgb(254, 254, 254), GeekSkin::ColourKey);
    EXPECT_EQ(GeekSkin::Rgb(-1, 0, 1), 0xFF0001u);
}

TEST(GeekSkin, PageValuesRoundTripWithoutTouchingPositions) {
    Preferences prefs = DefaultSkin();
    GeekSkin::Values values = GeekSkin::Values::From(prefs);
    values.BGr = 17;
    values.Width = 320;
    values.Trans = 150;
    values.ViewNP = 0;
    values.SkinName = "Night";
    prefs.rank_X = 61;
    values.ApplyTo(prefs);
    EXPECT_EQ(GeekSkin::Values::From(prefs), values);
    EXPECT_EQ(prefs.rank_X, 61);
}

}  // namespace
