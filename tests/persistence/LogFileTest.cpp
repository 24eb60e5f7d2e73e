#include "persistence/LogFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/FileIo.h"
#include "persistence/DataFolder.h"
#include "persistence/Logs.h"
#include "support/EndsInChild.h"
#include "support/FixedClock.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// 2011-03-03 12:05:09 UTC, which is 14:05:09 in the test's time zone two hours east.
constexpr std::int64_t ThirdOfMarch = 1'299'153'909;

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override { environment.Set("TZ", "XYZ-2"); }

    static void WriteText(const fs::path& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }

    ScopedEnvironment environment;
    TempFolder temp;
    FixedClock clock{ThirdOfMarch};
    LogFile log{temp / "Skelds.log", clock};
};

TEST_F(LogFileTest, AFifoInTheLogsPlaceIsNotWaitedFor) {
    ASSERT_EQ(::mkfifo(log.Path().c_str(), 0600), 0);
    const std::optional<int> status = EndsInChild([&] {
        log.Write("line");
        return !log.Empty() ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST_F(LogFileTest, LineCarriesTheLocalTimeThenTheFormattedMessage) {
    log.Write("Skelded with %s keys, %s mouseclicks and %.3f %s", "1,234", "56", 1.5, "Kilometers");
    EXPECT_EQ(ReadWholeFile(log.Path()),
              "[2011/03/03 14:05:09] Skelded with 1,234 keys, 56 mouseclicks and 1.500 "
              "Kilometers\n");
}

TEST_F(LogFileTest, LinesAreAppendedInOrderAfterWhatIsThere) {
    WriteText(log.Path(), "[2011/03/02 09:00:00] an earlier line\n");
    log.Write("SERVER - Sending skeld");
    log.Write("SERVER - %s", "Skeld accepted, updating totals");
    clock.Advance(3600);
    log.Write("later");
    EXPECT_EQ(ReadWholeFile(log.Path()),
              "[2011/03/02 09:00:00] an earlier line\n"
              "[2011/03/03 14:05:09] SERVER - Sending skeld\n"
              "[2011/03/03 14:05:09] SERVER - Skeld accepted, updating totals\n"
              "[2011/03/03 15:05:09] later\n");
}

TEST_F(LogFileTest, MessagesAreCutTo232Characters) {
    const std::string fits(232, 'a');
    const std::string tooLong = std::string(232, 'b') + "cut off";
    log.Write("%s", fits.c_str());
    log.Write("%s", tooLong.c_str());
    EXPECT_EQ(ReadWholeFile(log.Path()), "[2011/03/03 14:05:09] " + fits +
                                             "\n"
                                             "[2011/03/03 14:05:09] " +
                                             std::string(232, 'b') + "\n");
}

TEST_F(LogFileTest, ALogThatCannotBeOpenedLosesTheLineSilently) {
    LogFile inMissingFolder(temp / "missing" / "Debug.log", clock);
    inMissingFolder.Write("lost");
    EXPECT_FALSE(fs::exists(temp / "missing"));

    fs::create_directory(temp / "Debug.log");
    LogFile folderInTheWay(temp / "Debug.log", clock);
    folderInTheWay.Write("lost");
    EXPECT_TRUE(fs::is_empty(temp / "Debug.log"));

    if (::geteuid() != 0) {
        WriteText(log.Path(), "kept\n");
        fs::permissions(log.Path(), fs::perms::owner_read);
        log.Write("lost");
        EXPECT_EQ(ReadWholeFile(log.Path()), "kept\n");
    }
}

TEST_F(LogFileTest, EmptyingLeavesAFileOfLengthZero) {
    log.Write("something");
    EXPECT_TRUE(log.Empty());
    EXPECT_EQ(fs::file_size(log.Path()), 0u);

    fs::remove(log.Path());
    EXPECT_TRUE(log.Empty());
    EXPECT_TRUE(fs::exists(log.Path()));

    LogFile unopenable(temp / "missing" / "Skelds.log", clock);
    std::string error;
    EXPECT_FALSE(unopenable.Empty(&error));
    EXPECT_NE(error.find("Skelds.log"), std::string::npos) << error;
}

TEST_F(LogFileTest, LogsGoToTheDataFolderOfTheModeInForceWhenWriting) {
    fs::create_directory(temp / "program");
    const DataFolder dataFolder(temp / "program", temp / "data");
    const Logs logs(dataFolder, clock);

    logs.WriteSkeldLog(false, "Skelded with %s keys", "10");
    logs.WriteDebugLog(false, "SERVER - %s", "Sending skeld");
    logs.WriteDebugLog(true, "SERVER - %s", "Token reset");

    EXPECT_EQ(ReadWholeFile(temp / "data/Kestrovin/Skelds.log"),
              "[2011/03/03 14:05:09] Skelded with 10 keys\n");
    EXPECT_EQ(ReadWholeFile(temp / "data/Kestrovin/Debug.log"),
              "[2011/03/03 14:05:09] SERVER - Sending skeld\n");
    EXPECT_EQ(ReadWholeFile(temp / "program/Debug.log"),
              "[2011/03/03 14:05:09] SERVER - Token reset\n");
    EXPECT_EQ(logs.DebugLog(true).Path(), temp / "program/Debug.log");
    EXPECT_EQ(logs.SkeldLog(false).Path(), temp / "data/Kestrovin/Skelds.log");
}

}  // namespace
