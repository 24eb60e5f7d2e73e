#include <sys/stat.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "AccountDatabase.h"
#include "support/TempFolder.h"

namespace {

mode_t ModeOf(const std::filesystem::path& file) {
    struct stat info = {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Password hashes, addresses and tokens: neither the database nor its write-ahead files may
// be readable by others, whatever the umask, also when an older run left the file open to all.
TEST(DatabaseFileTest, TheDatabaseAndItsWriteAheadFilesAreTheOwnersOnly) {
    TempFolder folder;
    const auto file = folder / "stats.sqlite";
    const mode_t umaskBefore = ::umask(022);
    {
        AccountDatabase database;
        std::string error;
        ASSERT_TRUE(database.Open(file, error)) << error;
        for (const char* suffix : {"", "-wal", "-shm"}) {
            EXPECT_EQ(ModeOf(file.string() + suffix), 0600u) << suffix;
        }
    }
    std::filesystem::permissions(file, std::filesystem::perms(0644));
    {
        AccountDatabase database;
        std::string error;
        ASSERT_TRUE(database.Open(file, error)) << error;
        for (const char* suffix : {"", "-wal", "-shm"}) {
            EXPECT_EQ(ModeOf(file.string() + suffix), 0600u) << "reopened " << suffix;
        }
    }
    ::umask(umaskBefore);
}

// A database made before pending passwords were kept sealed gains the column on open, with its
// pending reset intact.
TEST(DatabaseFileTest, AnEarlierDatabaseKeepsItsPendingResetAndStoresSealedOnes) {
    TempFolder folder;
    const auto file = folder / "stats.sqlite";
    sqlite3* earlier = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &earlier), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(earlier,
                           "CREATE TABLE accounts (user_id INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "name TEXT NOT NULL UNIQUE COLLATE NOCASE, password_hash TEXT NOT "
                           "NULL, email TEXT NOT NULL, total_keys INTEGER NOT NULL DEFAULT 0, "
                           "total_clicks INTEGER NOT NULL DEFAULT 0, total_miles REAL NOT NULL "
                           "DEFAULT 0, created INTEGER NOT NULL);"
                           "CREATE TABLE password_resets (user_id INTEGER PRIMARY KEY "
                           "REFERENCES accounts (user_id), code TEXT NOT NULL UNIQUE, "
                           "password_hash TEXT NOT NULL, requested INTEGER NOT NULL);"
                           "INSERT INTO accounts (name, password_hash, email, created) "
                           "VALUES ('alice', 'h', 'a@b', 1), ('bob', 'h', 'b@b', 1);"
                           "INSERT INTO password_resets VALUES (1, 'abc', 'h2', 5);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(earlier);

    AccountDatabase database;
    std::string error;
    ASSERT_TRUE(database.Open(file, error)) << error;
    const auto pending = database.FindPasswordReset("abc");
    ASSERT_TRUE(pending.Found());
    EXPECT_EQ(pending.value.userId, 1);
    EXPECT_EQ(pending.value.sealedPassword, "");
    EXPECT_EQ(pending.value.requested, 5);
    ASSERT_TRUE(database.StorePasswordReset(2, "def", "h3", "5ea1ed", 7));
    EXPECT_EQ(database.FindPasswordReset("def").value.sealedPassword, "5ea1ed");
}

}  // namespace
