// The application's own steps that need no X server.
#include "shell/SkeldApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "server/AccountTakeOver.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

class SkeldAppTest : public testing::Test {
protected:
    SkeldAppTest() {
        environment.Set("HOME", (temp / "home").string());
        environment.Set("XDG_DATA_HOME", (temp / "data").string());
        environment.Set("XDG_CONFIG_HOME", (temp / "config").string());
    }

    TempFolder temp;
    ScopedEnvironment environment;
};

TEST_F(SkeldAppTest, TheAcceptedSetupBecomesTheRecordAndTheProgramStartsWithTheSession) {
    AcceptedAccount account;
    account.UserName = "bob";
    account.ComputerName = "den";
    account.Token = "tok";
    account.UserID = 77;
    account.ProxyHost = "proxy.example";
    account.ProxyPort = 3128;
    account.ProxyUse = 1;

    CSkeldApp app;
    app.Record.Account.NewAccount = 1;
    app.TakeOverSetup(account);

    EXPECT_EQ(app.Record.Account.UserName, "bob");
    EXPECT_EQ(app.Record.Account.ComputerName, "den");
    EXPECT_EQ(app.Record.Account.UserID, 77);
    EXPECT_EQ(app.Record.Account.NewAccount, 0);
    EXPECT_EQ(app.Record.Prefs.ProxyHost, "proxy.example");
    EXPECT_EQ(app.Record.Prefs.ProxyPort, 3128);
    EXPECT_EQ(app.Record.Prefs.ProxyUse, 1);
    ASSERT_EQ(app.Record.Prefs.LoadAtWinStartup, 1);
    EXPECT_TRUE(std::filesystem::exists(temp / "config" / "autostart" / "Kestrovin.desktop"));

    // Proxy use without a host is not stored as such.
    account.ProxyHost = "";
    app.TakeOverSetup(account);
    EXPECT_EQ(app.Record.Prefs.ProxyUse, 0);
    EXPECT_EQ(app.Record.Prefs.ProxyPort, 3128);
}

TEST_F(SkeldAppTest, DiscardingTheStateDeletesTheStateFilesAndStopsSaving) {
    const std::filesystem::path folder = temp / "data" / "Kestrovin";
    std::filesystem::create_directories(folder);
    for (const char* name : {"Kestrovin.ksv", "Kestrovin.ksv.bak", "keyfreq.bin"}) {
        std::ofstream(folder / name) << "x";
    }

    CSkeldApp app;
    app.DiscardState();
    app.DiscardState();  // missing files are no failure

    EXPECT_EQ(app.LoggedOff, 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "Kestrovin.ksv"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Kestrovin.ksv.bak"));
    EXPECT_TRUE(std::filesystem::exists(folder / "keyfreq.bin"));
}

}  // namespace
