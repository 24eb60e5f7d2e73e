#include "cli/StatusCommand.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "files/FileIo.h"
#include "persistence/AppPersistence.h"
#include "persistence/FileTypedStore.h"
#include "platform/linux/SingleInstanceLock.h"
#include "support/RecordingUser.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// Every file and folder under `root` with its content, to show that nothing changed.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        entries[entry.path().string()] =
            entry.is_regular_file() ? ReadWholeFile(entry.path()).value_or("?") : "<folder>";
    }
    return entries;
}

class StatusCommandTest : public ::testing::Test {
protected:
    StatusCommandTest() {
        fs::create_directories(programFolder);
        fs::create_directories(temp / "runtime");
        environment.Set("XDG_CONFIG_HOME", (temp / "config").string());
        environment.Set("XDG_RUNTIME_DIR", (temp / "runtime").string());
        environment.Set("TZ", "UTC");
    }

    int Run() { return RunStatusCommand(folder, out, err); }

    void SaveAccount(bool portable) {
        AppRecord record;
        record.Prefs.PortableMode = portable;
        record.Account.UserName = "alice";
        record.Account.ComputerName = "desk";
        record.Account.AddUnsentKeys(1234);
        record.Account.AddUnsentClicks(5);
        record.Account.AddUnsentMetres(12.5);
        record.Account.TotalKeys = 1234567;
        record.Account.TotalMiles = 3.25;
        record.Account.Rank = 7;
        record.Account.LastSkeld = 1'700'000'000;
        record.Prefs.DistanceType = 2;
        RecordingUser user;
        AppPersistence(folder, FileTypedStore::DefaultPath(), user).SaveAll(record, tally);
    }

    TempFolder temp;
    ScopedEnvironment environment;
    fs::path programFolder = temp / "program";
    DataFolder folder{programFolder, temp / "data"};
    KeyFrequencyTable tally;
    std::ostringstream out, err;
};

TEST_F(StatusCommandTest, PrintsTheAccountAndChangesNothing) {
    for (const bool portable : {false, true}) {
        if (portable) {
            std::ofstream(programFolder / "portable.txt") << "yes!";
        }
        SaveAccount(portable);
        const auto before = Snapshot(temp.Path());
        out.str("");
        EXPECT_EQ(Run(), 0) << err.str();
        EXPECT_EQ(Snapshot(temp.Path()), before);

        const std::string text = out.str();
        for (const char* expected :
             {"Account:         alice\n", "Computer:        desk\n", "Unsent keys:     1,234\n",
              "Unsent clicks:   5\n", "Unsent distance: 12.50 Meters\n",
              "Total keys:      1,234,567\n", "Total distance:  5230.37 Meters\n",
              "Rank:            7\n", "Last skeld:      2023/11/14 22:13:20\n"}) {
            EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
        }
        EXPECT_EQ(text.find("running"), std::string::npos) << text;
    }
}

// While the tray program runs, its counts in memory are newer than the files: say so, and
// when the files were written.
TEST_F(StatusCommandTest, SaysWhenTheRunningProgramLastSavedItsCounts) {
    SaveAccount(false);
    const fs::path stateFile = temp / "data" / "Kestrovin" / "Kestrovin.ksv";
    fs::last_write_time(stateFile, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(
                                       std::chrono::seconds(1'765'000'000))));
    EXPECT_EQ(Run(), 0) << err.str();
    EXPECT_NE(out.str().find("Last saved:      2025/12/06 05:46:40\n"), std::string::npos)
        << out.str();
    EXPECT_EQ(out.str().find("running"), std::string::npos) << out.str();

    const SingleInstanceLock trayProgram(SingleInstanceLock::DefaultPath());
    ASSERT_TRUE(trayProgram.Held()) << trayProgram.Error();
    out.str("");
    EXPECT_EQ(Run(), 0) << err.str();
    EXPECT_EQ(out.str().rfind("Kestrovin is running: these are the counts of its last save "
                              "(2025/12/06 05:46:40), not what it has counted since.\n",
                              0),
              0u)
        << out.str();
    EXPECT_NE(out.str().find("Unsent keys:     1,234\n"), std::string::npos) << out.str();
}

TEST_F(StatusCommandTest, SaysWhyNothingCouldBeLoaded) {
    // Nothing there: no folder or file may appear either.
    const auto before = Snapshot(temp.Path());
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Snapshot(temp.Path()), before);
    EXPECT_NE(err.str().find("no usable state file"), std::string::npos) << err.str();
    EXPECT_TRUE(out.str().empty());

    // A damaged state file: the reason of the load, then the summary.
    SaveAccount(false);
    std::ofstream(temp / "data" / "Kestrovin" / "Kestrovin.ksv", std::ios::trunc) << "junk";
    err.str("");
    EXPECT_EQ(Run(), 1);
    EXPECT_NE(err.str().find("Kestrovin.ksv could not be read"), std::string::npos) << err.str();
}

TEST(KestrovinCliTest, HelpListsTheCommandsAndMistakesFail) {
    const std::string cli = KESTROVIN_CLI;
    EXPECT_EQ(std::system((cli + " --help | grep -q '^  status'").c_str()), 0);
    EXPECT_NE(std::system((cli + " frobnicate 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((cli + " 2>/dev/null").c_str()), 0);
}

}  // namespace
