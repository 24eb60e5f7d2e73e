#include "reports/TemplateOutput.h"

#include <gtest/gtest.h>

#include <fstream>

#include "files/FileIo.h"
#include "support/GermanLocale.h"
#include "support/TempFolder.h"

namespace {

struct TemplateOutputTest : ::testing::Test {
    AccountState account = AccountState::StartValues();
    TemplateOutput::Settings settings;
    TemplateOutputTest() {
        account.UserName = "alice";
        account.ComputerName = "desk";
        account.Rank = 7;
        account.AddUnsentKeys(42);
    }
    std::string Fill(std::string_view text) {
        return TemplateOutput::Fill(text, account, settings);
    }
};

TEST_F(TemplateOutputTest, PlaceholdersAndLines) {
    const std::string longLine = std::string(1018, 'x') + "[KV_RANK]\n";  // cut at 1023
    const struct {
        std::string Template;
        std::string Output;
    } cases[] = {
        {"[KV_USERNAME] [KV_COMPUTER]\n", "alice desk\n"},
        {"", ""},
        {"a\n[KV_PROFILE]", "a\ndesk"},
        {"a\n[KV_PROFILE]\n", "a\ndesk\n"},
        {"[KV_CLIENTKEYS] [kv_rank] [KV_NOPE]", "42 [kv_rank] [KV_NOPE]"},
        {longLine, std::string(1018, 'x') + "[KV_RANK]\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fill(c.Template), c.Output) << c.Template;
}

TEST_F(TemplateOutputTest, LaterPlaceholdersApplyToEarlierValues) {
    account.UserName = "me[KV_RANK]";
    EXPECT_EQ(Fill("[KV_USERNAME]"), "me7");
}

TEST_F(TemplateOutputTest, CheckUpdatesWordingAndDistance) {
    const std::pair<int, const char*> cases[] = {
        {1, "week"}, {0, "month"}, {2, "never"}, {-1, "never"}};
    for (const auto& [value, word] : cases) {
        settings.CheckForUpdates = value;
        EXPECT_EQ(Fill("[KV_CHECK_UPDATES]"), word) << value;
    }
    settings.DistanceType = 2;
    account.UnsentMetres = 12.345;
    EXPECT_EQ(Fill("[KV_CLIENTMOUSE] [KV_CLIENTMOUSE_VALUE]"), "12.35 Meters");
}

// The tray program runs under the desktop's locale; the file reads the same as the command's.
TEST_F(TemplateOutputTest, TheDistanceKeepsItsPointUnderAGermanLocale) {
    GermanLocale german;
    if (!german.Active()) {
        GTEST_SKIP() << GermanLocale::kSkipReason;
    }
    settings.DistanceType = 2;
    account.UnsentMetres = 0.95;
    account.AddUnsentKeys(1234567 - 42);
    EXPECT_EQ(Fill("[KV_CLIENTMOUSE] [KV_CLIENTKEYS]"), "0.95 1234567");
}

TEST_F(TemplateOutputTest, GenerateWritesOrReportsWhy) {
    TempFolder folder;
    const auto tpl = folder / "Kestrovin.tpl";
    const auto out = folder / "Kestrovin.xml";
    EXPECT_EQ(TemplateOutput::Generate(tpl, out, account, settings),
              TemplateOutput::Result::NoTemplate);
    EXPECT_FALSE(std::filesystem::exists(out));
    std::ofstream(tpl) << "<u>[KV_USERNAME]</u>\n";
    EXPECT_EQ(TemplateOutput::Generate(tpl, out, account, settings),
              TemplateOutput::Result::Written);
    EXPECT_EQ(ReadWholeFile(out), "<u>alice</u>\n");
    std::string error;
    EXPECT_EQ(TemplateOutput::Generate(tpl, folder / "missing" / "Kestrovin.xml", account, settings,
                                       &error),
              TemplateOutput::Result::CannotWrite);
    EXPECT_FALSE(error.empty());
}

}  // namespace
