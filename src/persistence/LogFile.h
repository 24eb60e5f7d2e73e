#pragma once

#include <cstdarg>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ports/Clock.h"

// One plain-text log: lines stamped with the local time, appended one at a time, and read back
// as rows for the log viewers. The file is opened for each operation and closed again, so other
// programs may read, empty or delete it while the client runs.
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

    // The rows a log viewer lists: the file cut into lines of at most 125 characters. A longer
    // line goes on in the next row and loses the character at the split. A log that cannot be
    // read gives no rows.
    std::vector<std::string> ReadRows() const;

    // Truncates the log to length 0, creating it when missing. False, with a short description
    // in `error` when given, when the log cannot be opened for writing.
    bool Empty(std::string* error = nullptr) const;

private:
    std::filesystem::path path_;
    const Clock& clock_;
};
