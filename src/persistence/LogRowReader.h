#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// Reads the rows of a log (see LogFile) one at a time, forwards or backwards from a row it
// read before, without reading the rest of the file: a viewer starts at the newest rows of a
// log of any length. It reads the log as long as it was when opened; what is written later
// waits for the next reader. It holds the file open and one block of it, for finding where a
// line starts.
class LogRowReader {
public:
    // Where a row starts, with where its line starts: the rows of a line start every
    // RowLength bytes from the line's start.
    struct Place {
        std::uint64_t Offset = 0;
        std::uint64_t LineStart = 0;
        bool operator==(const Place&) const = default;
    };
    struct Row {
        std::string Text;
        Place At;
        Place Next;  // where the row after it starts
    };

    // The bytes of a line one row takes, the one dropped at the split included.
    static constexpr std::uint64_t RowLength = 126;
    // The block read at a time when looking back for a line's start.
    static constexpr std::size_t BlockSize = 64 * 1024;

    // A log that cannot be opened (missing, not a regular file) has no rows.
    explicit LogRowReader(const std::filesystem::path& path);
    ~LogRowReader();
    LogRowReader(const LogRowReader&) = delete;
    LogRowReader& operator=(const LogRowReader&) = delete;

    // The place after the last row.
    Place End() const { return {length_, length_}; }

    // The row at `at`: nothing at the end, or once the file has been cut short under it.
    std::optional<Row> RowAt(const Place& at) const;
    // The row before the one at `at`: nothing at the start.
    std::optional<Row> RowBefore(const Place& at);

    // The bytes it keeps, whatever the log's length.
    std::size_t HeldBytes() const { return block_.capacity(); }

private:
    std::optional<char> ByteAt(std::uint64_t offset);
    // The offset after the last line end before `before`, or 0.
    std::optional<std::uint64_t> LineStartBefore(std::uint64_t before);
    bool LoadBlockHolding(std::uint64_t offset);

    int fd_ = -1;
    std::uint64_t length_ = 0;
    std::string block_;
    std::uint64_t blockStart_ = 0;
};
