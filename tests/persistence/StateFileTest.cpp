#include "persistence/StateFile.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "files/FileIo.h"
#include "persistence/StateCipher.h"
#include "persistence/StateStream.h"
#include "persistence/StateTestAccounts.h"
#include "support/TempFolder.h"

namespace {

using ReadStatus = StateFile::ReadResult::Status;
using WriteStatus = StateFile::WriteResult::Status;

class StateFileTest : public ::testing::Test {
protected:
    StateFile::WriteResult Save(const AccountState& account) {
        return StateFile::Write(path_, backup_, account);
    }

    // Loads into a copy of `Sentinel()`, so a failed load shows whether it touched anything.
    StateFile::ReadResult Load(AccountState& account) {
        account = Sentinel();
        return StateFile::Read(path_, account);
    }

    static AccountState Sentinel() {
        AccountState account = AccountState::StartValues();
        account.UserName = "untouched";
        return account;
    }

    void WriteRaw(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }

    std::set<std::string> FolderContents() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    static mode_t Mode(const std::filesystem::path& file) {
        struct stat status {};
        ::stat(file.c_str(), &status);
        return status.st_mode & 0777;
    }

    TempFolder folder_;
    std::filesystem::path path_ = folder_ / "Kestrovin.ksv";
    std::filesystem::path backup_ = folder_ / "Kestrovin.ksv.bak";
};

TEST_F(StateFileTest, SavesAndLoadsAnAccount) {
    const AccountState account = RealisticAccount();
    const StateFile::WriteResult saved = Save(account);
    EXPECT_EQ(saved.Result, WriteStatus::Saved);
    EXPECT_EQ(saved.Message, "");

    const std::size_t streamLength = StateStream::Write(account).size();
    EXPECT_EQ(std::filesystem::file_size(path_), 16 * (streamLength / 16 + 1));
    EXPECT_EQ(Mode(path_), 0600u);

    AccountState loaded;
    const StateFile::ReadResult read = Load(loaded);
    EXPECT_EQ(read.Result, ReadStatus::Loaded);
    EXPECT_EQ(read.Message, "");
    EXPECT_EQ(StoredFields(loaded), StoredFields(account));
}

TEST_F(StateFileTest, ALargeStreamIsOneMessageAndLoads) {
    AccountState account = RealisticAccount();
    account.Token = std::string(10000, 't');
    ASSERT_EQ(Save(account).Result, WriteStatus::Saved);
    AccountState loaded;
    ASSERT_EQ(Load(loaded).Result, ReadStatus::Loaded);
    EXPECT_EQ(StoredFields(loaded), StoredFields(account));
}

TEST_F(StateFileTest, SavingAnUnchangedRecordTwiceGivesIdenticalFiles) {
    const AccountState account = RealisticAccount();
    ASSERT_EQ(Save(account).Result, WriteStatus::Saved);
    const auto first = ReadWholeFile(path_);
    ASSERT_EQ(Save(account).Result, WriteStatus::Saved);
    EXPECT_EQ(ReadWholeFile(path_), first);
}

TEST_F(StateFileTest, BackupHoldsTheFileAsItWasBeforeTheLatestSave) {
    AccountState account = RealisticAccount();
    ASSERT_EQ(Save(account).Result, WriteStatus::Saved);
    EXPECT_EQ(FolderContents(), std::set<std::string>{"Kestrovin.ksv"});
    const auto first = ReadWholeFile(path_);

    account.AddUnsentKeys(1);
    ASSERT_EQ(Save(account).Result, WriteStatus::Saved);
    EXPECT_EQ(FolderContents(), (std::set<std::string>{"Kestrovin.ksv", "Kestrovin.ksv.bak"}));
    EXPECT_EQ(ReadWholeFile(backup_), first);
    EXPECT_EQ(Mode(backup_), 0600u);
    const auto second = ReadWholeFile(path_);
    EXPECT_NE(second, first);

    account.AddUnsentKeys(1);
    ASSERT_EQ(Save(account).Result, WriteStatus::Saved);
    EXPECT_EQ(ReadWholeFile(backup_), second);
}

TEST_F(StateFileTest, AFileOfAnotherVersionLoads) {
    std::string stream = StateStream::Write(RealisticAccount());
    stream.replace(1, 16, "Kestrovin v1.6.5");
    WriteRaw(*StateCipher::Encrypt(stream));
    AccountState loaded;
    EXPECT_EQ(Load(loaded).Result, ReadStatus::Loaded);
    EXPECT_EQ(StoredFields(loaded), StoredFields(RealisticAccount()));
}

TEST_F(StateFileTest, NothingToOpenIsNotAnError) {
    AccountState loaded;
    StateFile::ReadResult read = Load(loaded);
    EXPECT_EQ(read.Result, ReadStatus::CouldNotOpen);
    EXPECT_EQ(read.Message, "");

    std::filesystem::create_directory(path_);
    read = Load(loaded);
    EXPECT_EQ(read.Result, ReadStatus::CouldNotOpen);
    EXPECT_EQ(read.Message, "");
    EXPECT_EQ(StoredFields(loaded), StoredFields(Sentinel()));
}

TEST_F(StateFileTest, AnUnloadableFileIsReportedAndChangesNothing) {
    const std::string stream = StateStream::Write(RealisticAccount());
    const std::string valid = *StateCipher::Encrypt(stream);
    ASSERT_GT(valid.size(), 64u);
    std::string lastBlockFlipped = valid;
    lastBlockFlipped.back() = static_cast<char>(lastBlockFlipped.back() ^ 0x01);
    std::string paddingFlipped = valid;
    paddingFlipped[valid.size() - 17] = static_cast<char>(paddingFlipped[valid.size() - 17] ^ 0x20);
    const std::size_t insidePassword = 1 + 16 + 1 + RealisticAccount().UserName.size() + 1 +
                                       RealisticAccount().ComputerName.size() + 10;

    const std::string prefix = "Kestrovin.ksv could not be read: it is not a valid state file (";
    const struct {
        const char* name;
        std::string bytes;
        std::string message;  // empty: any "not a valid state file" message
    } cases[] = {
        {"empty", "", prefix + "the file is empty)."},
        {"not whole blocks", valid.substr(0, 37),
         prefix + "the length of 37 bytes is not a multiple of 16)."},
        {"a block short", valid.substr(0, valid.size() - 16), ""},
        {"one block", *StateCipher::Encrypt(stream.substr(0, 15)),
         prefix + "the data ends inside the header)."},
        {"garbage block", std::string(16, '\x5A'), ""},
        {"padding flipped", paddingFlipped, prefix + "bad padding)."},
        {"last block flipped", lastBlockFlipped, ""},
        {"ends inside the password", *StateCipher::Encrypt(stream.substr(0, insidePassword)),
         prefix + "the data ends inside the password)."},
        {"ends inside the distance", *StateCipher::Encrypt(stream.substr(0, stream.size() - 3)),
         prefix + "the data ends inside the unsent mouse travel)."},
    };
    for (const auto& c : cases) {
        WriteRaw(c.bytes);
        AccountState loaded;
        const StateFile::ReadResult read = Load(loaded);
        EXPECT_EQ(read.Result, ReadStatus::ReadFailed) << c.name;
        if (c.message.empty()) {
            EXPECT_EQ(read.Message.rfind(prefix, 0), 0u) << c.name << ": " << read.Message;
        } else {
            EXPECT_EQ(read.Message, c.message) << c.name;
        }
        EXPECT_EQ(StoredFields(loaded), StoredFields(Sentinel())) << c.name;
    }
}

TEST_F(StateFileTest, AMissingDataFolderCannotBeSavedTo) {
    path_ = folder_ / "gone" / "Kestrovin.ksv";
    backup_ = folder_ / "gone" / "Kestrovin.ksv.bak";
    const StateFile::WriteResult saved = Save(RealisticAccount());
    EXPECT_EQ(saved.Result, WriteStatus::CannotCreate);
    EXPECT_EQ(saved.Message,
              "Unable to save Kestrovin.ksv! If you're using a portable device,\n"
              " please check if it's plugged in correctly.");
    EXPECT_TRUE(FolderContents().empty());

    // A file where the folder should be (a stale mount point, say) fails the same way.
    WriteRaw("");
    path_ = folder_ / "Kestrovin.ksv" / "Kestrovin.ksv";
    EXPECT_EQ(Save(RealisticAccount()).Result, WriteStatus::CannotCreate);
}

TEST_F(StateFileTest, AReadOnlyDataFolderKeepsThePreviousFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not apply to root";
    }
    ASSERT_EQ(Save(RealisticAccount()).Result, WriteStatus::Saved);
    const auto before = ReadWholeFile(path_);
    std::filesystem::permissions(folder_.Path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);

    AccountState changed = RealisticAccount();
    changed.Token = "changed";
    const StateFile::WriteResult saved = Save(changed);
    EXPECT_EQ(saved.Result, WriteStatus::CannotCreate);
    EXPECT_EQ(saved.Message, StateFile::CannotSaveMessage);
    EXPECT_EQ(ReadWholeFile(path_), before);
    AccountState loaded;
    EXPECT_EQ(Load(loaded).Result, ReadStatus::Loaded);
    EXPECT_EQ(StoredFields(loaded), StoredFields(RealisticAccount()));
}

// Saves `account` in a child process whose files cannot grow beyond `limit` bytes, the way a
// full disk stops a write, and returns the result's status and message.
std::pair<int, std::string> SaveWithFileSizeLimit(const std::filesystem::path& path,
                                                  const std::filesystem::path& backup,
                                                  const AccountState& account, rlim_t limit) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {-1, "pipe failed"};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        const rlimit fileSize{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        const StateFile::WriteResult saved = StateFile::Write(path, backup, account);
        const std::string report = std::to_string(static_cast<int>(saved.Result)) + saved.Message;
        const bool reported = ::write(pipeFds[1], report.data(), report.size()) ==
                              static_cast<ssize_t>(report.size());
        ::_exit(reported ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buffer[512];
    ssize_t count = 0;
    while ((count = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        report.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || report.empty()) {
        return {-1, "the child did not report"};
    }
    return {report[0] - '0', report.substr(1)};
}

TEST_F(StateFileTest, AFullDiskKeepsThePreviousFileLoadable) {
    ASSERT_EQ(Save(RealisticAccount()).Result, WriteStatus::Saved);
    const auto before = ReadWholeFile(path_);

    AccountState changed = RealisticAccount();
    changed.Token = "changed";
    const auto [status, message] = SaveWithFileSizeLimit(path_, backup_, changed, 100);
    EXPECT_EQ(status, static_cast<int>(WriteStatus::WriteFailed)) << message;
    EXPECT_EQ(message.rfind("Kestrovin.ksv could not be saved. Cannot write ", 0), 0u) << message;
    EXPECT_NE(message.find("File too large"), std::string::npos) << message;

    EXPECT_EQ(ReadWholeFile(path_), before);
    EXPECT_EQ(FolderContents(), std::set<std::string>{"Kestrovin.ksv"});  // no temporary left
    AccountState loaded;
    EXPECT_EQ(Load(loaded).Result, ReadStatus::Loaded);
    EXPECT_EQ(StoredFields(loaded), StoredFields(RealisticAccount()));
}

}  // namespace
