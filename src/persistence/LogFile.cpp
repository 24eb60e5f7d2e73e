#include "persistence/LogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <utility>

#include "files/FileIo.h"

namespace {

constexpr mode_t LogMode = 0644;

// A viewer row is read like fgets into a 127-byte buffer: at most 126 characters, line end
// included, of which the last one is dropped.
constexpr std::size_t RowReadLength = 126;

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

// Logs carried over from Windows end their lines with CR LF, which its text mode reads as one
// line end; read them the same way here.
std::string WithoutCarriageReturns(std::string text) {
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) {
        text.erase(at, 1);
    }
    return text;
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

std::vector<std::string> LogFile::ReadRows() const {
    std::vector<std::string> rows;
    const std::optional<std::string> bytes = ReadWholeFile(path_);
    if (!bytes) {
        return rows;
    }
    const std::string text = WithoutCarriageReturns(*bytes);
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t length = std::min(RowReadLength, text.size() - position);
        if (const std::size_t lineEnd = text.find('\n', position);
            lineEnd != std::string::npos && lineEnd < position + length) {
            length = lineEnd - position + 1;
        }
        rows.push_back(text.substr(position, length - 1));
        position += length;
    }
    return rows;
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
