#include "files/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace {

bool Fail(std::string* error, const std::string& what, int errorNumber) {
    if (error != nullptr) {
        *error = what + ": " + std::strerror(errorNumber);
    }
    return false;
}

}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

FileRead ReadDataFile(const std::filesystem::path& file, std::size_t maxBytes) {
    FileRead result;
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer; fstat then refuses it.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return result;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return result;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
        ::close(fd);
        result.Result = FileRead::Status::TooLarge;
        return result;
    }
    char buffer[4096];
    for (;;) {
        // Up to one byte past the limit, which tells a file that grew.
        const std::size_t room = maxBytes - result.Bytes.size();
        const std::size_t wanted = room < sizeof buffer ? room + 1 : sizeof buffer;
        const ssize_t count = ::read(fd, buffer, wanted);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.Result = FileRead::Status::ReadFailed;
            result.Error = std::strerror(errno);
            result.Bytes.clear();
            break;
        }
        if (count == 0) {
            result.Result = FileRead::Status::Read;
            break;
        }
        result.Bytes.append(buffer, static_cast<std::size_t>(count));
        if (result.Bytes.size() > maxBytes) {
            result.Result = FileRead::Status::TooLarge;
            result.Bytes.clear();
            break;
        }
    }
    ::close(fd);
    return result;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
    FileRead read = ReadDataFile(file);
    if (read.Result != FileRead::Status::Read) {
        return std::nullopt;
    }
    return std::move(read.Bytes);
}

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, mode_t mode,
                         std::string* error, AtomicWriteFailure* failure) {
    if (failure != nullptr) {
        *failure = AtomicWriteFailure::None;
    }
    std::string temporary = file.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        if (failure != nullptr) {
            *failure = AtomicWriteFailure::CannotCreate;
        }
        return Fail(error, "Cannot create " + temporary, errno);
    }
    // Every failure from here on is a failed write of a file that could be created.
    if (failure != nullptr) {
        *failure = AtomicWriteFailure::CannotWrite;
    }
    auto abandon = [&](const std::string& what) {
        const int saved = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return Fail(error, what, saved);
    };
    if (::fchmod(fd, mode) != 0) {
        return abandon("Cannot set the permissions of " + temporary);
    }
    if (!WriteAll(fd, bytes)) {
        return abandon("Cannot write " + file.string());
    }
    if (::fsync(fd) != 0) {
        return abandon("Cannot flush " + file.string());
    }
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        return Fail(error, "Cannot close " + file.string(), saved);
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        return Fail(error, "Cannot replace " + file.string(), saved);
    }
    // Make the rename itself durable.
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    if (failure != nullptr) {
        *failure = AtomicWriteFailure::None;
    }
    return true;
}

bool IsTemporaryFileOf(std::string_view fileName, std::string_view baseName) {
    constexpr std::size_t SuffixLength = 6;
    if (fileName.size() != baseName.size() + 1 + SuffixLength || !fileName.starts_with(baseName) ||
        fileName[baseName.size()] != '.') {
        return false;
    }
    for (const char c : fileName.substr(baseName.size() + 1)) {
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit) {
            return false;
        }
    }
    return true;
}

std::size_t RemoveTemporaryLeftovers(const std::filesystem::path& folder,
                                     std::initializer_list<std::string_view> baseNames) {
    std::size_t removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        bool ours = false;
        for (const std::string_view baseName : baseNames) {
            ours = ours || IsTemporaryFileOf(name, baseName);
        }
        std::error_code typeError;
        if (ours &&
            entry->symlink_status(typeError).type() == std::filesystem::file_type::regular &&
            ::unlink(entry->path().c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}
