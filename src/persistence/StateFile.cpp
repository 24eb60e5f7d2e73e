#include "persistence/StateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "persistence/FileIo.h"
#include "persistence/StateCipher.h"
#include "persistence/StateStream.h"

namespace {

using ReadResult = StateFile::ReadResult;
using WriteResult = StateFile::WriteResult;

ReadResult ReadFailed(const std::filesystem::path& path, const std::string& why) {
    return {ReadResult::Status::ReadFailed,
            path.filename().string() + " could not be read: " + why + "."};
}

ReadResult NotAStateFile(const std::filesystem::path& path, const std::string& detail) {
    return ReadFailed(path, "it is not a valid state file (" + detail + ")");
}

// Reads the whole file. Opening is told apart from reading: a file that cannot be opened is
// the normal first start, a file that opens but cannot be read is an error to show.
class WholeFileReader {
public:
    explicit WholeFileReader(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~WholeFileReader() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    WholeFileReader(const WholeFileReader&) = delete;
    WholeFileReader& operator=(const WholeFileReader&) = delete;

    // A folder or a device in place of the file counts as not openable.
    bool Opened() const {
        struct stat status {};
        return fd_ >= 0 && ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode);
    }

    // The bytes, or nothing with the system's description in `error`.
    std::optional<std::string> ReadAll(std::string& error) {
        std::string bytes;
        char buffer[4096];
        for (;;) {
            const ssize_t count = ::read(fd_, buffer, sizeof buffer);
            if (count < 0) {
                if (errno == EINTR) {
                    continue;
                }
                error = std::strerror(errno);
                return std::nullopt;
            }
            if (count == 0) {
                return bytes;
            }
            bytes.append(buffer, static_cast<std::size_t>(count));
        }
    }

private:
    int fd_;
};

// The file's bytes when it can be opened and read.
std::optional<std::string> ReadExisting(const std::filesystem::path& path) {
    WholeFileReader reader(path);
    std::string ignored;
    return reader.Opened() ? reader.ReadAll(ignored) : std::nullopt;
}

}  // namespace

StateFile::ReadResult StateFile::Read(const std::filesystem::path& path, AccountState& account) {
    WholeFileReader reader(path);
    if (!reader.Opened()) {
        return {ReadResult::Status::CouldNotOpen, {}};
    }
    std::string error;
    const std::optional<std::string> cipher = reader.ReadAll(error);
    if (!cipher) {
        return ReadFailed(path, "reading it failed (" + error + ")");
    }
    if (cipher->empty()) {
        return NotAStateFile(path, "the file is empty");
    }
    const std::optional<std::string> stream = StateCipher::Decrypt(*cipher, &error);
    if (!stream) {
        return NotAStateFile(path, error);
    }
    if (!StateStream::Read(*stream, account, &error)) {
        return NotAStateFile(path, error);
    }
    return {ReadResult::Status::Loaded, {}};
}

StateFile::WriteResult StateFile::Write(const std::filesystem::path& path,
                                        const std::filesystem::path& backupPath,
                                        const AccountState& account) {
    // The backup is a byte copy of the file before this save; it is written as safely as the
    // file itself, so an interrupted copy never leaves a torn backup.
    if (const std::optional<std::string> previous = ReadExisting(path)) {
        WriteFileAtomically(backupPath, *previous, FileMode);
    }

    std::string error;
    const std::optional<std::string> cipher =
        StateCipher::Encrypt(StateStream::Write(account), &error);
    if (!cipher) {
        return {WriteResult::Status::WriteFailed,
                path.filename().string() + " could not be saved: " + error + "."};
    }
    AtomicWriteFailure failure = AtomicWriteFailure::None;
    if (WriteFileAtomically(path, *cipher, FileMode, &error, &failure)) {
        return {WriteResult::Status::Saved, {}};
    }
    if (failure == AtomicWriteFailure::CannotCreate) {
        return {WriteResult::Status::CannotCreate, std::string(CannotSaveMessage)};
    }
    return {WriteResult::Status::WriteFailed,
            path.filename().string() + " could not be saved. " + error + "."};
}
