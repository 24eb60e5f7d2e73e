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

    // The tally of the account before (a log off, a damaged state file) goes on.
    KeyFrequencyTable before;
    before.Increment('Q');
    std::filesystem::create_directories(temp / "data" / "Kestrovin");
    ASSERT_TRUE(before.Save(temp / "data" / "Kestrovin" / "keyfreq.bin"));

    CSkeldApp app;
    app.Record.Account.NewAccount = 1;
    app.Frequencies.Increment('Q');
    app.TakeOverSetup(account);
    EXPECT_EQ(app.Frequencies.Entries(), (KeyFrequencyTable::Counts{{'Q', 2}}));

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

// The first thing written at start, the note that no tray is there yet (none is on the
// offscreen platform), already goes to the folder of the mode, and leftovers of interrupted
// saves are gone by then.
TEST_F(SkeldAppTest, InPortableModeTheFirstLogLineGoesBesideTheProgram) {
    const std::filesystem::path program = temp / "program";
    std::filesystem::create_directories(program);
    std::ofstream(program / "portable.txt") << "yes!";
    std::ofstream(program / "settings.ini.Zz9Yy8") << "ProxyPass=secret";

    CSkeldApp app(DataFolder(program, temp / "data"));
    app.DecideMode();
    app.CreateTrayIcon();

    EXPECT_TRUE(app.Record.Prefs.PortableMode);
    EXPECT_TRUE(std::filesystem::exists(program / "Debug.log"));
    EXPECT_FALSE(std::filesystem::exists(temp / "data" / "Kestrovin" / "Debug.log"));
    EXPECT_FALSE(std::filesystem::exists(program / "settings.ini.Zz9Yy8"));
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
