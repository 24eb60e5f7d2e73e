#include "persistence/LogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

#include "files/FileIo.h"

namespace {

constexpr mode_t LogMode = 0644;

std::string FormatMessage(const char* format, std::va_list arguments) {
    char message[LogFile::MaxMessageLength + 1];
    if (std::vsnprintf(message, sizeof message, format, arguments) < 0) {
        return {};
    }
    return message;
}

std::string TimeStamp(std::int64_t now) {
    const std::time_t time = static_cast<std::time_t>(now);
    std::tm local{};
    if (::localtime_r(&time, &local) == nullptr) {
        local = std::tm{};
    }
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%04d/%02d/%02d %02d:%02d:%02d] ", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return stamp;
}

}  // namespace

LogFile::LogFile(std::filesystem::path path, const Clock& clock)
    : path_(std::move(path)), clock_(clock) {}

void LogFile::Write(const char* format, ...) const {
    std::va_list arguments;
    va_start(arguments, format);
    WriteV(format, arguments);
    va_end(arguments);
}

void LogFile::WriteV(const char* format, std::va_list arguments) const {
    // O_NONBLOCK: a FIFO in the log's place fails at once instead of waiting for a reader.
    const int fd =
        ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, LogMode);
    if (fd < 0) {
        return;
    }
    const std::string line = TimeStamp(clock_.Now()) + FormatMessage(format, arguments) + "\n";
    // The whole line in one append, straight to the file: nothing waits in a buffer.
    WriteAll(fd, line);
    ::close(fd);
}

bool LogFile::Empty(std::string* error) const {
    const int fd =
        ::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CREAT | O_NONBLOCK | O_CLOEXEC, LogMode);
    if (fd < 0) {
        if (error != nullptr) {
            *error = "Cannot open " + path_.string() + ": " + std::strerror(errno);
        }
        return false;
    }
    ::close(fd);
    return true;
}
