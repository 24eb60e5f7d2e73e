// Kill torture: a program that saves everything in a tight loop (the real SaveAll of the real
// record: settings, state file with its backup, keyfreq.bin) is killed with SIGKILL at random
// moments, over and over, in portable and in normal mode by turns. After every kill:
//
// - the state loads without any message;
// - each file holds exactly one complete save: the settings of save S, the state file of save
//   T, keyfreq.bin of save F and the backup of save B, each with all its fields from that one
//   save (see KillTortureSave.h);
// - the files are consistent with the order in which a save replaces them (settings, backup,
//   state file, keyfreq.bin, each atomically): a kill during save k leaves every file of save
//   k-1, or the settings of save k, or the settings and the state file (and the backup of
//   k-1) of save k. So S - F is 0 or 1, T is S or F, and B is T - 1 or T (no backup only
//   while T is the first save);
// - the state file never goes back: T is at least the T of the kill before;
// - the next start's clean-up leaves no temporary file of an interrupted save.
//
// The normal test run kills a few hundred times; KESTROVIN_KILL_TORTURE_KILLS=N (what
// scripts/kill-torture sets) any number of times.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "files/FileIo.h"
#include "persistence/AppPersistence.h"
#include "persistence/KillTortureSave.h"
#include "persistence/StateFile.h"
#include "support/ChildProcess.h"
#include "support/RecordingUser.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace KillTortureSave;

int KillsToMake() {
    const char* kills = std::getenv("KESTROVIN_KILL_TORTURE_KILLS");
    return kills != nullptr && std::atoi(kills) > 0 ? std::atoi(kills) : 200;
}

// Temporary files of our naming in the folder.
int TemporaryFilesIn(const fs::path& folder) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        for (const char* base : {"Kestrovin.ksv", "Kestrovin.ksv.bak", "keyfreq.bin",
                                 "settings.ini", "registry.conf"}) {
            count += IsTemporaryFileOf(name, base) ? 1 : 0;
        }
    }
    return count;
}

// Reads a line from the saver's output; false when it ended without one.
bool ReadLine(int fd, std::string& line) {
    line.clear();
    char c = 0;
    while (::read(fd, &c, 1) == 1) {
        if (c == '\n') {
            return true;
        }
        line += c;
    }
    return false;
}

class KillTortureTest : public ::testing::Test {
protected:
    KillTortureTest() {
        fs::create_directories(programFolder);
        fs::create_directories(dataHome);
    }

    // Checks the files after a kill; false (with failures added) when they are not consistent.
    bool CheckFiles(bool portable, std::int32_t& lastState, bool& mixed) {
        RecordingUser user;
        const AppPersistence persistence(DataFolder(programFolder, dataHome), typedStore, user);
        AppRecord record;
        record.Prefs.PortableMode = portable;
        KeyFrequencyTable tally;
        EXPECT_EQ(persistence.LoadState(record, tally), LoadResult::Loaded);
        EXPECT_TRUE(user.messages.empty() && user.questions.empty())
            << (user.messages.empty() ? "" : user.messages[0]);
        const auto settings = SettingsSave(record);
        const auto state = StateSave(record.Account);
        const auto keys = TallySave(tally.Entries());
        EXPECT_TRUE(settings && state && keys) << "a file does not hold one complete save";
        if (!settings || !state || !keys) {
            return false;
        }
        const std::int32_t s = *settings;
        const std::int32_t t = *state;
        const std::int32_t f = *keys;
        EXPECT_TRUE((s - f == 0 || s - f == 1) && (t == s || t == f))
            << "settings " << s << ", state " << t << ", keyfreq " << f;
        EXPECT_GE(t, lastState) << "the state file went back";
        lastState = t;

        const fs::path folder = portable ? programFolder : dataHome / "Kestrovin";
        AccountState backup;
        if (StateFile::Read(folder / "Kestrovin.ksv.bak", backup).Result ==
            StateFile::ReadResult::Status::Loaded) {
            const auto b = StateSave(backup);
            EXPECT_TRUE(b && (*b == t - 1 || *b == t))
                << "backup " << b.value_or(-1) << ", state " << t;
        } else {
            EXPECT_EQ(t, 1) << "no readable backup";
        }
        mixed = mixed || s != t || t != f;
        return !HasFailure();
    }

    // SIGKILL ends the program, not the machine: what it wrote is in the page cache either
    // way, so a memory file system shows the same outcomes, only without waiting for the disk.
    static fs::path FastFolder() {
        std::error_code error;
        return fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                   ? fs::path("/dev/shm")
                   : fs::temp_directory_path();
    }

    TempFolder temp{FastFolder()};
    fs::path programFolder = temp / "program";
    fs::path dataHome = temp / "data";
    fs::path typedStore = temp / "config" / "Kestrovin" / "registry.conf";
    fs::path lockFile = temp / "MY_KESTROVIN_CLIENT.lock";
};

TEST_F(KillTortureTest, EveryKillLeavesOneCompleteSaveAndTheNextStartClearsItsTemporaryFiles) {
    const int kills = KillsToMake();
    const unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    // Up to a few saves' time after the first complete save: kills land before, inside and
    // between the steps of a save.
    std::uniform_int_distribution<int> delayMicroseconds(0, 8000);
    std::int32_t lastState[2] = {0, 0};
    int mixedKills = 0;
    int leftoversRemoved = 0;
    const auto start = std::chrono::steady_clock::now();

    for (int kill = 0; kill < kills; ++kill) {
        const bool portable = kill % 2 == 1;
        {
            ChildProcess saver(
                {KESTROVIN_KILL_TORTURE_SAVER, programFolder.string(), dataHome.string(),
                 typedStore.string(), lockFile.string(), portable ? "1" : "0"},
                {});
            std::string line;
            ASSERT_TRUE(ReadLine(saver.OutputFd(), line) && line == "ready")
                << "kill " << kill << ": " << line;
            std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
            ::kill(saver.Pid(), SIGKILL);
            // Reaped here at once; WaitForExit then only notes that it has ended.
            ::waitpid(saver.Pid(), nullptr, 0);
            saver.WaitForExit(std::chrono::seconds(1));
        }
        bool mixed = false;
        ASSERT_TRUE(CheckFiles(portable, lastState[portable ? 1 : 0], mixed))
            << "kill " << kill << " of " << kills << ", seed " << seed;

        // The next start's clean-up, as the saver (and the programs) run it under the lock.
        const int found = TemporaryFilesIn(programFolder) +
                          TemporaryFilesIn(dataHome / "Kestrovin") +
                          TemporaryFilesIn(typedStore.parent_path());
        RecordingUser user;
        AppPersistence(DataFolder(programFolder, dataHome), typedStore, user).RemoveLeftovers();
        ASSERT_EQ(TemporaryFilesIn(programFolder) + TemporaryFilesIn(dataHome / "Kestrovin") +
                      TemporaryFilesIn(typedStore.parent_path()),
                  0)
            << "kill " << kill;
        leftoversRemoved += found;
        mixedKills += (mixed || found > 0) ? 1 : 0;
    }

    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "kill torture: " << kills << " kills survived in " << seconds << " s (seed "
              << seed << "); " << mixedKills << " landed inside a save, " << leftoversRemoved
              << " temporary files removed at the next start; saves reached: normal "
              << lastState[0] << ", portable " << lastState[1] << "\n";
}

}  // namespace
