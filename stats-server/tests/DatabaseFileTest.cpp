#include <sys/stat.h>

#include <gtest/gtest.h>

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

}  // namespace
