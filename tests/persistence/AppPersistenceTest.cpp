#include "persistence/AppPersistence.h"

#include <gtest/gtest.h>

#include <fstream>

#include "counting/KeyFrequencyTable.h"
#include "persistence/AppRecord.h"
#include "persistence/FileIo.h"
#include "persistence/StateFile.h"
#include "platform/linux/FileTypedStore.h"
#include "support/RecordingUser.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// A program folder and a data home in one temporary folder, and the typed store beside them.
class AppPersistenceTest : public ::testing::Test {
protected:
    AppPersistenceTest() {
        fs::create_directories(programFolder);
        fs::create_directories(dataHome);
    }

    AppPersistence Persistence() {
        return AppPersistence(DataFolder(programFolder, dataHome), storeFile, user);
    }

    static AppRecord SignedInRecord() {
        AppRecord record;
        record.Account.UserName = "alice";
        record.Account.ComputerName = "desk";
        record.Account.Password = "secret";
        record.Account.Token = "tok-1";
        record.Account.UserID = 42;
        record.Account.TotalKeys = 1000;
        record.Account.AddUnsentKeys(17);
        record.Account.AddUnsentClicks(5);
        record.Account.AddUnsentMetres(12.5);
        record.Prefs.ApplyNewAccountValues();
        record.Prefs.SkeldEvery = 500;
        return record;
    }

    TempFolder temp;
    fs::path programFolder = temp / "program";
    fs::path dataHome = temp / "data";
    fs::path storeFile = temp / "config" / "registry.conf";
    fs::path perUser = dataHome / "Kestrovin";
    RecordingUser user;
    KeyFrequencyTable frequencies;
};

TEST_F(AppPersistenceTest, FirstStartFindsNothingAndKeepsTheStartValues) {
    {  // settings alone (as after a log off) are not applied without a state file
        FileTypedStore store(storeFile);
        store.WriteInt("Software\\Kestrovin\\Preferences", "CountKeys", 0);
        ASSERT_TRUE(store.Flush());
    }
    AppRecord record;
    EXPECT_EQ(Persistence().LoadState(record, frequencies), LoadResult::NoUsableState);
    EXPECT_EQ(record.Prefs.CountKeys, 1);
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(AppPersistenceTest, SaveAllThenLoadStateBringsBackTheWholeRecord) {
    for (const bool portable : {false, true}) {
        AppRecord saved = SignedInRecord();
        saved.Prefs.PortableMode = portable;
        KeyFrequencyTable tally;
        tally.Increment('A');
        tally.Increment('A');
        Persistence().SaveAll(saved, tally);

        const fs::path folder = portable ? programFolder : perUser;
        EXPECT_TRUE(fs::exists(folder / "Kestrovin.ksv")) << portable;
        EXPECT_TRUE(fs::exists(folder / "keyfreq.bin")) << portable;
        EXPECT_EQ(fs::exists(programFolder / "settings.ini"), portable);

        AppRecord loaded;
        loaded.Prefs.PortableMode = portable;
        loaded.Account.LastVersionCheck = 77;
        loaded.Account.SkeldInProgress = 1;
        KeyFrequencyTable loadedTally;
        EXPECT_EQ(Persistence().LoadState(loaded, loadedTally), LoadResult::Loaded) << portable;
        EXPECT_EQ(loaded.Account.UserName, "alice");
        EXPECT_EQ(loaded.Account.Token, "tok-1");
        EXPECT_EQ(loaded.Account.UnsentKeys, saved.Account.UnsentKeys);  // stored as encoded
        EXPECT_EQ(loaded.Account.GetUnsentClicks(), 5);
        EXPECT_EQ(loaded.Account.UnsentMetres, 12.5);
        EXPECT_EQ(loaded.Account.UserID, 42);
        EXPECT_EQ(loaded.Account.TotalKeys, 1000);
        EXPECT_EQ(loaded.Prefs.SkeldEvery, 500);
        EXPECT_EQ(loaded.Prefs.GeekTrans, 150);
        EXPECT_EQ(loaded.Prefs.PortableMode, portable);
        EXPECT_EQ(loaded.Account.LastVersionCheck, 77);  // never stored
        EXPECT_EQ(loaded.Account.SkeldInProgress, 0);
        EXPECT_EQ(loadedTally.Entries(), tally.Entries());
    }
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(AppPersistenceTest, AnAccountThatCannotBeUsedSkipsTheKeyTally) {
    const struct {
        const char* what;
        const char* userName;
        std::int32_t newAccount;
        LoadResult result;
    } cases[] = {
        {"logged off", "alice", 1, LoadResult::LoggedOff},
        {"no account name", "", 0, LoadResult::NoAccount},
        {"no account name wins over logged off", "", 1, LoadResult::NoAccount},
    };
    for (const auto& c : cases) {
        AppRecord saved = SignedInRecord();
        saved.Account.UserName = c.userName;
        saved.Account.NewAccount = c.newAccount;
        KeyFrequencyTable tally;
        tally.Increment('A');
        Persistence().SaveAll(saved, tally);

        AppRecord loaded;
        KeyFrequencyTable loadedTally;
        EXPECT_EQ(Persistence().LoadState(loaded, loadedTally), c.result) << c.what;
        EXPECT_EQ(loaded.Account.NewAccount, c.newAccount) << c.what;
        EXPECT_EQ(loadedTally.Size(), 0u) << c.what;
    }
}

TEST_F(AppPersistenceTest, ADamagedStateFileIsReportedAndChangesNothing) {
    Persistence().SaveAll(SignedInRecord(), frequencies);
    std::ofstream(perUser / "Kestrovin.ksv", std::ios::binary | std::ios::trunc) << "not aes";

    AppRecord record;
    EXPECT_EQ(Persistence().LoadState(record, frequencies), LoadResult::NoUsableState);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_NE(user.messages[0].find("Kestrovin.ksv"), std::string::npos);
    EXPECT_TRUE(record.Account.UserName.empty());
    EXPECT_EQ(record.Prefs.SkeldEvery, 0);  // the settings are discarded with the copy
}

TEST_F(AppPersistenceTest, EditedDistanceCannotPoisonTheUnsentCounts) {
    AppRecord saved = SignedInRecord();
    saved.Account.UnsentMetres = -3.0;
    Persistence().SaveAll(saved, frequencies);
    AppRecord loaded;
    ASSERT_EQ(Persistence().LoadState(loaded, frequencies), LoadResult::Loaded);
    EXPECT_EQ(loaded.Account.UnsentMetres, 0.0);
}

TEST_F(AppPersistenceTest, SecondSaveKeepsTheFirstAsBackup) {
    AppRecord record = SignedInRecord();
    Persistence().SaveAll(record, frequencies);
    EXPECT_FALSE(fs::exists(perUser / "Kestrovin.ksv.bak"));
    const auto first = ReadWholeFile(perUser / "Kestrovin.ksv");
    record.Account.Token = "tok-2";
    Persistence().SaveAll(record, frequencies);
    EXPECT_EQ(ReadWholeFile(perUser / "Kestrovin.ksv.bak"), first);
    EXPECT_NE(ReadWholeFile(perUser / "Kestrovin.ksv"), first);
}

TEST_F(AppPersistenceTest, AStateFileThatCannotBeCreatedIsReportedAfterTheSettingsAreSaved) {
    std::ofstream(perUser) << "a file where the data folder should be";
    Persistence().SaveAll(SignedInRecord(), frequencies);

    EXPECT_EQ(user.messages, std::vector<std::string>{std::string(StateFile::CannotSaveMessage)});
    std::int32_t skeldEvery = 0;
    EXPECT_TRUE(FileTypedStore(storeFile).ReadInt("Software\\Kestrovin\\Preferences", "SkeldEvery",
                                                  skeldEvery));
    EXPECT_EQ(skeldEvery, 500);
}

}  // namespace
