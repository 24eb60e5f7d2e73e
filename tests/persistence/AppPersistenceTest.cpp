#include "persistence/AppPersistence.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "counting/AppRecord.h"
#include "counting/DistanceUnit.h"
#include "counting/KeyFrequencyTable.h"
#include "files/FileIo.h"
#include "persistence/FileTypedStore.h"
#include "persistence/State.h"
#include "persistence/StateFile.h"
#include "support/EndsInChild.h"
#include "support/RecordingUser.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// alice on desk, with unsent counts and the new-account preferences.
AppRecord SignedInRecord() {
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

// Two saves of alice's record, so that the backup holds it too, then a damaged state file.
void SaveTwiceThenDamage(AppPersistence persistence, const fs::path& folder) {
    KeyFrequencyTable tally;
    for (int i = 0; i < 3; ++i) {
        tally.Increment('A');
    }
    persistence.SaveAll(SignedInRecord(), tally);
    persistence.SaveAll(SignedInRecord(), tally);
    std::ofstream(folder / "Kestrovin.ksv", std::ios::binary | std::ios::trunc) << "not aes";
}

KeyFrequencyTable::Counts TallyOnDisk(const fs::path& file) {
    KeyFrequencyTable tally;
    tally.Load(file);
    return tally.Entries();
}

TEST_F(AppPersistenceTest, ADamagedStateFileWithAGoodBackupOffersTheBackup) {
    SaveTwiceThenDamage(Persistence(), perUser);
    user.answers = {true};

    AppRecord record;
    ASSERT_EQ(Persistence().LoadState(record, frequencies), LoadResult::Loaded);
    ASSERT_EQ(user.questions.size(), 1u);
    const std::string& question = user.questions[0];
    for (const char* part : {"Kestrovin.ksv could not be read", "Kestrovin.ksv.bak", "\"alice\"",
                             "\"desk\"", "17 unsent keys", "5 unsent clicks"}) {
        EXPECT_NE(question.find(part), std::string::npos) << part << " in " << question;
    }
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(record.Account.UserName, "alice");
    EXPECT_EQ(record.Account.GetUnsentKeys(), 17);
    EXPECT_EQ(record.Prefs.SkeldEvery, 500);
    EXPECT_EQ(frequencies.Entries(), (KeyFrequencyTable::Counts{{'A', 3}}));

    Persistence().SaveAll(record, frequencies);
    AppRecord reloaded;
    EXPECT_EQ(Persistence().LoadState(reloaded, frequencies), LoadResult::Loaded);
    EXPECT_EQ(user.questions.size(), 1u);
}

TEST_F(AppPersistenceTest, ADeclinedBackupAndTheKeyTallyOutliveTheNewAccount) {
    SaveTwiceThenDamage(Persistence(), perUser);
    user.answers = {false};
    AppRecord record;
    ASSERT_EQ(Persistence().LoadState(record, frequencies), LoadResult::NoUsableState);
    EXPECT_EQ(user.questions.size(), 1u);
    EXPECT_TRUE(user.messages.empty());

    // The setup assistant makes a new account, which is saved while keys are counted.
    record = SignedInRecord();
    record.Account.UserName = "bob";
    frequencies.Increment('B');
    Persistence().SaveAll(record, frequencies);
    Persistence().SaveAll(record, frequencies);

    AccountState backup;
    ASSERT_EQ(StateFile::Read(perUser / "Kestrovin.ksv.bak", backup).Result,
              StateFile::ReadResult::Status::Loaded);
    EXPECT_EQ(backup.UserName, "bob");  // readable saves of bob replaced it, nothing else
    EXPECT_EQ(TallyOnDisk(perUser / "keyfreq.bin"), (KeyFrequencyTable::Counts{{'A', 3}}));

    // Taken in, the old tally goes on with what the new account counted.
    ASSERT_TRUE(Persistence().TakeInKeyTally(record, frequencies));
    Persistence().SaveAll(record, frequencies);
    EXPECT_EQ(TallyOnDisk(perUser / "keyfreq.bin"),
              (KeyFrequencyTable::Counts{{'A', 3}, {'B', 1}}));
}

TEST_F(AppPersistenceTest, ADamagedStateFileNeverReplacesTheBackup) {
    SaveTwiceThenDamage(Persistence(), perUser);
    const auto goodBackup = ReadWholeFile(perUser / "Kestrovin.ksv.bak");
    // A save without loading first, as the command-line tool's register does.
    Persistence().SaveAll(SignedInRecord(), frequencies);
    EXPECT_EQ(ReadWholeFile(perUser / "Kestrovin.ksv.bak"), goodBackup);
}

// Something other than a regular file at a data file's path must not make the program wait:
// opening a FIFO for reading waits for a writer.
TEST_F(AppPersistenceTest, FifosAtTheDataFilesAreRefusedAtOnce) {
    for (const bool portable : {false, true}) {
        const fs::path folder = portable ? programFolder : perUser;
        fs::create_directories(folder);
        fs::create_directories(storeFile.parent_path());
        for (const fs::path& file : {folder / "Kestrovin.ksv", folder / "keyfreq.bin",
                                     programFolder / "settings.ini", storeFile}) {
            fs::remove(file);
            ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0) << file;
        }
        const std::optional<int> status = EndsInChild([&] {
            AppRecord record;
            record.Prefs.PortableMode = portable;
            KeyFrequencyTable tally;
            const LoadResult loaded = Persistence().LoadState(record, tally);
            AppRecord saved = SignedInRecord();
            saved.Prefs.PortableMode = portable;
            Persistence().SaveAll(saved, tally);
            return loaded == LoadResult::NoUsableState ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << "portable " << portable << (status ? "" : ": waited on a FIFO");
        EXPECT_TRUE(fs::is_regular_file(folder / "Kestrovin.ksv")) << portable;
    }
}

TEST_F(AppPersistenceTest, LeftoversOfInterruptedSavesAreRemovedAndNothingElse) {
    const fs::path config = storeFile.parent_path();
    fs::create_directories(perUser);
    fs::create_directories(config);
    const std::vector<fs::path> leftovers = {
        perUser / "Kestrovin.ksv.a1B2c3",      perUser / "Kestrovin.ksv.bak.ZZZZZZ",
        perUser / "keyfreq.bin.000000",        config / "registry.conf.Qx7Yz9",
        programFolder / "settings.ini.abcdef", programFolder / "Kestrovin.ksv.XXXXXX",
        programFolder / "portable.txt.k3K3k3",
    };
    const std::vector<fs::path> kept = {
        perUser / "Kestrovin.ksv",
        perUser / "Kestrovin.ksv.abcde",
        perUser / "Kestrovin.ksv.abcdefg",
        perUser / "Kestrovin.ksv.ab-def",
        perUser / "kestrovin.ksv.abcdef",
        perUser / "Skelds.log.abcdef",
        config / "other.conf.abcdef",
        programFolder / "settings.ini",
        programFolder / "keyfreq.bin.ab.def",
    };
    for (const auto& file : leftovers) {
        std::ofstream(file) << "secret";
    }
    for (const auto& file : kept) {
        std::ofstream(file) << "mine";
    }
    fs::create_directory(perUser / "keyfreq.bin.folder");  // not a regular file: kept

    EXPECT_EQ(Persistence().RemoveLeftovers(), leftovers.size());
    for (const auto& file : leftovers) {
        EXPECT_FALSE(fs::exists(file)) << file;
    }
    for (const auto& file : kept) {
        EXPECT_TRUE(fs::exists(file)) << file;
    }
    EXPECT_TRUE(fs::is_directory(perUser / "keyfreq.bin.folder"));
    EXPECT_EQ(AppPersistence(DataFolder(programFolder, dataHome), storeFile, user,
                             StorageAccess::ReadOnly)
                  .RemoveLeftovers(),
              0u);
}

TEST_F(AppPersistenceTest, EditedDistanceCannotPoisonTheUnsentCounts) {
    AppRecord saved = SignedInRecord();
    for (const double metres : {-3.0, 1e300}) {
        saved.Account.UnsentMetres = metres;
        Persistence().SaveAll(saved, frequencies);
        AppRecord loaded;
        ASSERT_EQ(Persistence().LoadState(loaded, frequencies), LoadResult::Loaded);
        EXPECT_EQ(loaded.Account.UnsentMetres, SaneMetres(metres)) << metres;
    }
    EXPECT_EQ(SaneMetres(1e300), kMaxMiles * kMetresPerMile);
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

// A caller that must not go on unsaved learns of any part that was not written, the parts
// that are never shown to the user included; each blocked by something in its file's place.
TEST_F(AppPersistenceTest, SaveAllSaysWhetherEverythingWasWritten) {
    const struct {
        const char* Blocked;
        fs::path InThePlace;  // a folder where the file should be
    } cases[] = {
        {"nothing", {}},
        {"the settings", storeFile},
        {"the state file", perUser / CState::StateFileName},
        {"the key tally", perUser / AppPersistence::KeyFrequencyFileName},
    };
    for (const auto& c : cases) {
        fs::remove_all(temp / "config");
        fs::remove_all(perUser);
        fs::create_directories(perUser);
        if (!c.InThePlace.empty()) {
            fs::create_directories(c.InThePlace);
        }
        frequencies.Increment('A');
        EXPECT_EQ(Persistence().SaveAll(SignedInRecord(), frequencies), c.InThePlace.empty())
            << c.Blocked;
    }
}

}  // namespace
