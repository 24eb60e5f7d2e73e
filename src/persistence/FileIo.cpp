#include "persistence/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

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

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    // A read error (for example a folder of that name) makes the stream buffer throw.
    try {
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) {
            return std::nullopt;
        }
        return bytes;
    } catch (const std::ios_base::failure&) {
        return std::nullopt;
    }
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
