#include "persistence/OlderClientMigration.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>

#include "persistence/FileTypedStore.h"
#include "persistence/SettingsStore.h"
#include "support/RecordingUser.h"
#include "support/TempFolder.h"

namespace {

constexpr std::string_view OldKey = "Software\\Kestrovin\\Windows\\";

class OlderClientMigrationTest : public ::testing::Test {
protected:
    // One start-up's migration, with a fresh store object as each start has.
    bool RunMigration() {
        FileTypedStore store(file_);
        return OlderClientMigration::Run(store, user_);
    }
    void WriteOldValues(const std::function<void(FileTypedStore&)>& write) {
        FileTypedStore store(file_);
        write(store);
        ASSERT_TRUE(store.Flush());
    }

    TempFolder folder_;
    std::filesystem::path file_ = folder_ / "Kestrovin" / "registry.conf";
    RecordingUser user_;
};

TEST_F(OlderClientMigrationTest, WithoutTheOldKeyNothingHappens) {
    EXPECT_FALSE(RunMigration());
    EXPECT_TRUE(user_.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(OlderClientMigrationTest, CopiesEveryValueOnceAndTellsTheUserOnce) {
    WriteOldValues([](FileTypedStore& store) {
        store.WriteInt(OldKey, "bShowSplash", 1);
        store.WriteInt("Software\\Kestrovin\\Windows\\Leftover", "x", 1);
    });

    EXPECT_TRUE(RunMigration());
    EXPECT_EQ(user_.messages,
              std::vector<std::string>{
                  "I found traces of an older client and converted your preferences!"});
    EXPECT_EQ(user_.icons, std::vector<UserPort::Icon>{UserPort::Icon::Exclamation});

    FileTypedStore store(file_);
    EXPECT_FALSE(store.KeyExists(OldKey));
    std::set<std::string_view> newNames;
    for (const MigrationEntry& entry : OlderClientMigration::Table()) {
        const std::string path = SettingsStore::KeyPath(entry.Section);
        newNames.insert(entry.NewName);
        if (entry.Type == MigrationType::Int) {
            std::int32_t value = -1;
            EXPECT_TRUE(store.ReadInt(path, entry.NewName, value)) << entry.NewName;
            EXPECT_EQ(value, entry.NewName == "ShowSplash" ? 1 : 0) << entry.NewName;
        } else {
            std::string value = "<none>";
            EXPECT_TRUE(store.ReadText(path, entry.NewName, value)) << entry.NewName;
            EXPECT_EQ(value, "") << entry.NewName;
        }
    }
    EXPECT_EQ(OlderClientMigration::Table().size(), 74u);
    EXPECT_EQ(newNames.size(), 71u);  // three preferences are copied twice

    // The next start finds no old key.
    EXPECT_FALSE(RunMigration());
    EXPECT_EQ(user_.messages.size(), 1u);
}

TEST_F(OlderClientMigrationTest, TheUnprefixedOldValueWinsAndLoadsAsASetting) {
    WriteOldValues([](FileTypedStore& store) {
        store.WriteInt(OldKey, "bSkeldEvery", 1);
        store.WriteInt(OldKey, "SkeldEvery", 1000);
        store.WriteInt(OldKey, "rDistanceType", 2);
        store.WriteInt(OldKey, "secondsTillSkeld", 300);
        store.WriteText(OldKey, "ProxyHost", "proxy.example");
        store.WriteText(OldKey, "Token", "abc");
    });
    ASSERT_TRUE(RunMigration());

    AppRecord record;
    FileTypedStore store(file_);
    SettingsStore(record, folder_ / "settings.ini", store).TransferSettings("load");
    EXPECT_EQ(record.Prefs.SkeldEvery, 1000);
    EXPECT_EQ(record.Prefs.DistanceType, 2);
    EXPECT_EQ(record.Account.SecondsTilSkeld, 300);
    EXPECT_EQ(record.Prefs.ProxyHost, "proxy.example");
    EXPECT_EQ(record.Prefs.ShowSplash, 0);
    std::string token;
    EXPECT_TRUE(store.ReadText("Software\\Kestrovin\\User", "Token", token));
    EXPECT_EQ(token, "abc");
}

TEST_F(OlderClientMigrationTest, AConversionThatCannotBeStoredIsNotAnnounced) {
    WriteOldValues([](FileTypedStore& store) { store.WriteInt(OldKey, "bShowSplash", 1); });
    // Replace the folder by a file so that the store cannot be rewritten.
    FileTypedStore store(file_);
    std::filesystem::remove_all(file_.parent_path());
    std::ofstream(file_.parent_path()) << "in the way";
    EXPECT_FALSE(OlderClientMigration::Run(store, user_));
    EXPECT_TRUE(user_.messages.empty());
}

}  // namespace
