#include "app/SettingsApply.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace {

class SettingsApplyTest : public testing::Test {
protected:
    SettingsApplyTest() {
        effects.SetAutostart = [this](std::int32_t on) {
            calls.push_back("autostart " + std::to_string(on));
        };
        effects.SetHotKey = [this](bool on) { calls.push_back(on ? "hotkey on" : "hotkey off"); };
        effects.StartTemplateOutputTimer = [this] { calls.push_back("timer 1110"); };
        effects.SaveAll = [this] { calls.push_back("save"); };
        effects.ShowNormalTrayIcon = [this] { calls.push_back("icon"); };
        effects.PortableMarker = folder.Path() / "portable.txt";
    }

    SettingsApply::Outcome Save(const SettingsPages& pages) {
        return SettingsApply::Apply(pages, prefs, effects);
    }

    TempFolder folder;
    Preferences prefs;
    SettingsEffects effects;
    std::vector<std::string> calls;
};

struct LimitCase {
    const char* typed;
    std::int32_t stored;
    bool message;
};

TEST_F(SettingsApplyTest, KeyAndClickLimitsAreReadAndCorrected) {
    const LimitCase cases[] = {{"100", 250, true}, {"0", 0, false},   {"250", 250, false},
                               {"-3", 250, true},  {"abc", 0, false}, {"1000x", 1000, false}};
    for (const LimitCase& c : cases) {
        SettingsPages pages = SettingsPages::From(prefs);
        pages.SkeldEvery = c.typed;
        pages.SkeldEveryClicks = c.typed;
        const auto out = Save(pages);
        EXPECT_EQ(prefs.SkeldEvery, c.stored) << c.typed;
        EXPECT_EQ(prefs.SkeldEveryClicks, c.stored) << c.typed;
        const std::vector<std::string> expected =
            c.message
                ? std::vector<std::string>{SettingsApply::KeysMessage, SettingsApply::ClicksMessage}
                : std::vector<std::string>{};
        EXPECT_EQ(out.Messages, expected) << c.typed;
    }
}

TEST_F(SettingsApplyTest, HoursDecideWhetherSkeldingIsEnabled) {
    SettingsPages pages = SettingsPages::From(prefs);
    pages.SkeldEveryHours = "-1";
    auto out = Save(pages);
    EXPECT_EQ(prefs.SkeldEveryHours, 0);
    EXPECT_EQ(prefs.SkeldingEnabled, 0);
    EXPECT_FALSE(out.SkipNextDueCheck);
    EXPECT_EQ(out.Messages, std::vector<std::string>{SettingsApply::HoursMessage});

    pages.SkeldEveryHours = "2";
    out = Save(pages);
    EXPECT_EQ(prefs.SkeldEveryHours, 2);
    EXPECT_EQ(prefs.SkeldingEnabled, 1);
    EXPECT_TRUE(out.SkipNextDueCheck);
    EXPECT_TRUE(out.Messages.empty());
}

TEST_F(SettingsApplyTest, SavingUnchangedPagesOnlySavesAndResetsTheIcon) {
    prefs.ProxyHost = "proxy.example";
    prefs.UseHotKey = 1;
    const auto out = Save(SettingsPages::From(prefs));
    EXPECT_EQ(calls, (std::vector<std::string>{"save", "icon"}));
    EXPECT_TRUE(out.Messages.empty());
    EXPECT_EQ(prefs.ProxyHost, "proxy.example");
    EXPECT_FALSE(std::filesystem::exists(effects.PortableMarker));
}

TEST_F(SettingsApplyTest, ChangedOptionsCarryOutTheirEffectsBeforeTheSave) {
    prefs.LoadAtWinStartup = 0;
    SettingsPages pages = SettingsPages::From(prefs);
    pages.LoadAtWinStartup = 1;
    pages.UseHotKey = 1;
    pages.GenXML = 1;
    Save(pages);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"autostart 1", "hotkey on", "timer 1110", "save", "icon"}));
    calls.clear();
    pages.LoadAtWinStartup = 0;
    pages.UseHotKey = 0;
    pages.GenXML = 0;  // turning it off leaves a running timer alone
    Save(pages);
    EXPECT_EQ(calls, (std::vector<std::string>{"autostart 0", "hotkey off", "save", "icon"}));
}

TEST_F(SettingsApplyTest, SkinValuesAreStoredBeforeTheSaveAndPositionsAreLeftAlone) {
    SettingsPages pages = SettingsPages::From(prefs);
    pages.Skin.BGr = 10;
    pages.Skin.Vb = 7;
    pages.Skin.Width = 321;
    pages.Skin.Height = 123;
    pages.Skin.Trans = 90;
    pages.Skin.ViewNP = 0;
    pages.Skin.SkinName = "Night";
    prefs.keycount_X = 44;  // written by the X&Y dialog while the preferences were open
    GeekSkin::Values atSave;
    effects.SaveAll = [&] { atSave = GeekSkin::Values::From(prefs); };
    Save(pages);
    EXPECT_EQ(atSave, pages.Skin);
    EXPECT_EQ(prefs.keycount_X, 44);
}

TEST_F(SettingsApplyTest, PortableBoxCreatesAndDeletesTheMarker) {
    SettingsPages pages = SettingsPages::From(prefs);
    pages.PortableMode = 1;
    Save(pages);
    EXPECT_TRUE(prefs.PortableMode);
    std::ifstream file(effects.PortableMarker);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), "yes!");

    pages.PortableMode = 0;
    Save(pages);
    EXPECT_FALSE(prefs.PortableMode);
    EXPECT_FALSE(std::filesystem::exists(effects.PortableMarker));
}

TEST_F(SettingsApplyTest, UnwritableProgramFolderKeepsThePreviousModeAndSaysWhy) {
    effects.PortableMarker = folder.Path() / "missing" / "portable.txt";
    SettingsPages pages = SettingsPages::From(prefs);
    pages.PortableMode = 1;
    const auto out = Save(pages);
    EXPECT_FALSE(prefs.PortableMode);
    ASSERT_EQ(out.Messages.size(), 1u);
    EXPECT_NE(out.Messages[0].find("could not create"), std::string::npos);

    // A marker that cannot be deleted: its folder is not empty-able as a file.
    std::filesystem::create_directories(folder.Path() / "busy" / "portable.txt" / "inside");
    effects.PortableMarker = folder.Path() / "busy" / "portable.txt";
    prefs.PortableMode = true;
    pages.PortableMode = 0;
    const auto kept = Save(pages);
    EXPECT_TRUE(prefs.PortableMode);
    ASSERT_EQ(kept.Messages.size(), 1u);
    EXPECT_NE(kept.Messages[0].find("could not delete"), std::string::npos);
}

TEST(ProxyEditableTest, FieldsFollowTheTwoBoxes) {
    EXPECT_FALSE(ProxyEditable::For(0, 1).HostAndPort);
    EXPECT_FALSE(ProxyEditable::For(0, 1).UserAndPassword);
    EXPECT_TRUE(ProxyEditable::For(1, 0).HostAndPort);
    EXPECT_FALSE(ProxyEditable::For(1, 0).UserAndPassword);
    EXPECT_TRUE(ProxyEditable::For(1, 1).UserAndPassword);
}

}  // namespace
