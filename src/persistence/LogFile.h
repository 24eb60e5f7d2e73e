#pragma once

#include <cstdarg>
#include <filesystem>
#include <string>
#include <string_view>

#include "ports/Clock.h"

// One plain-text log: lines stamped with the local time, appended one at a time; the log viewers
// read it back as rows a part at a time (LogRowWindow), as it grows without limit: only the
// user empties it. The file is opened for each operation and closed again, so
// other programs may read, empty or delete it while the client runs.
class LogFile {
public:
    static constexpr std::string_view SkeldLogName = "Skelds.log";
    static constexpr std::string_view DebugLogName = "Debug.log";

    // The longest message written; longer ones are cut to this length.
    static constexpr std::size_t MaxMessageLength = 232;

    explicit LogFile(std::filesystem::path path, const Clock& clock = SystemClock::Instance());

    const std::filesystem::path& Path() const { return path_; }

    // Appends "[YYYY/MM/DD hh:mm:ss] message" and a line end, the message formatted printf-style.
    // A log that cannot be opened loses the line without a word.
    void Write(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void WriteV(const char* format, std::va_list arguments) const
        __attribute__((format(printf, 2, 0)));

    // Truncates the log to length 0, creating it when missing. False, with a short description
    // in `error` when given, when the log cannot be opened for writing.
    bool Empty(std::string* error = nullptr) const;

private:
    std::filesystem::path path_;
    const Clock& clock_;
};
