#include "counting/Preferences.h"

#include <gtest/gtest.h>

namespace {

TEST(PreferencesTest, NewAccountValuesKeepTheProxyAndPortableMode) {
    Preferences preferences;
    preferences.ProxyHost = "proxy.example";
    preferences.ProxyPort = 3128;
    preferences.ProxyUse = 1;
    preferences.PortableMode = true;
    preferences.CountKeys = 0;
    preferences.GeekLastX = 400;
    preferences.ApplyNewAccountValues();

    EXPECT_EQ(preferences.ProxyHost, "proxy.example");
    EXPECT_EQ(preferences.ProxyPort, 3128);
    EXPECT_EQ(preferences.ProxyUse, 1);
    EXPECT_TRUE(preferences.PortableMode);
    // Everything else is the new-account column: start values, with these exceptions.
    EXPECT_EQ(preferences.CountKeys, 1);
    EXPECT_EQ(preferences.GeekLastX, 0);
    EXPECT_EQ(preferences.RetimeFromManualSkeld, 0);
    EXPECT_EQ(preferences.DistanceType, 0);
    EXPECT_EQ(preferences.GeekTrans, 150);
    EXPECT_EQ(preferences.GeekBGg, 153);
    EXPECT_EQ(preferences.GeekVb, 192);
    EXPECT_EQ(preferences.mousecount_Y, 15);
    EXPECT_EQ(preferences.timenextskeld_Y, 54);
    EXPECT_EQ(preferences.SkinName, "Default");
}

}  // namespace
