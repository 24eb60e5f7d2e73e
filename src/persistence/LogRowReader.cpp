#include "persistence/LogRowReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace {

// Reads up to `size` bytes at `offset`, going on after interruptions; -1 on an error.
ssize_t ReadAt(int fd, char* into, std::size_t size, std::uint64_t offset) {
    ssize_t got = 0;
    do {
        got = ::pread(fd, into, size, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got;
}

}  // namespace

LogRowReader::LogRowReader(const std::filesystem::path& path) {
    // O_NONBLOCK: a FIFO in the log's place is refused below instead of waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    length_ = static_cast<std::uint64_t>(status.st_size);
}

LogRowReader::~LogRowReader() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

// A row is read as the older client read it, like fgets into a 127-byte buffer: at most 126
// characters, line end included, of which the last one is dropped. A CR before the line end
// does not count, as logs carried over from Windows end their lines with CR LF.
std::optional<LogRowReader::Row> LogRowReader::RowAt(const Place& at) const {
    if (fd_ < 0 || at.Offset >= length_) {
        return std::nullopt;
    }
    char bytes[RowLength + 1];
    const std::size_t wanted = std::min<std::uint64_t>(sizeof bytes, length_ - at.Offset);
    const ssize_t got = ReadAt(fd_, bytes, wanted, at.Offset);
    if (got <= 0) {
        return std::nullopt;
    }
    const std::string_view window(bytes, static_cast<std::size_t>(got));
    Row row;
    row.At = at;
    const std::size_t lineEnd = window.find('\n');
    if (lineEnd != std::string_view::npos) {
        const std::size_t carriageReturn = lineEnd > 0 && window[lineEnd - 1] == '\r' ? 1 : 0;
        if (lineEnd + 1 - carriageReturn <= RowLength) {
            row.Text = window.substr(0, lineEnd - carriageReturn);
            const std::uint64_t next = at.Offset + lineEnd + 1;
            row.Next = {next, next};
            return row;
        }
    } else if (window.size() <= RowLength) {
        // The end of a last line without a line end, or of a log cut short meanwhile.
        row.Text = window.substr(0, window.size() - 1);
        const std::uint64_t next = at.Offset + window.size();
        row.Next = {next, next};
        return row;
    }
    row.Text = window.substr(0, RowLength - 1);
    row.Next = {at.Offset + RowLength, at.LineStart};
    return row;
}

std::optional<LogRowReader::Row> LogRowReader::RowBefore(const Place& at) {
    if (at.Offset > at.LineStart) {
        return RowAt({at.Offset - std::min(RowLength, at.Offset - at.LineStart), at.LineStart});
    }
    if (at.Offset == 0) {
        return std::nullopt;
    }
    // The line before ends at `at`, with a line end unless it is the last line of the log.
    const std::uint64_t lineEnd = at.Offset;
    const std::optional<char> last = ByteAt(lineEnd - 1);
    const std::optional<std::uint64_t> start = LineStartBefore(lineEnd - 1);
    if (!last || !start) {
        return std::nullopt;
    }
    std::uint64_t length = lineEnd - *start;
    if (*last == '\n' && length >= 2 && ByteAt(lineEnd - 2) == '\r') {
        --length;
    }
    const std::uint64_t rows = (length + RowLength - 1) / RowLength;
    return RowAt({*start + (rows - 1) * RowLength, *start});
}

std::optional<char> LogRowReader::ByteAt(std::uint64_t offset) {
    if (!LoadBlockHolding(offset)) {
        return std::nullopt;
    }
    return block_[offset - blockStart_];
}

std::optional<std::uint64_t> LogRowReader::LineStartBefore(std::uint64_t before) {
    for (std::uint64_t end = before; end > 0;) {
        if (!LoadBlockHolding(end - 1)) {
            return std::nullopt;
        }
        const auto* found = static_cast<const char*>(
            ::memrchr(block_.data(), '\n', static_cast<std::size_t>(end - blockStart_)));
        if (found != nullptr) {
            return blockStart_ + static_cast<std::uint64_t>(found - block_.data()) + 1;
        }
        end = blockStart_;
    }
    return 0;
}

bool LogRowReader::LoadBlockHolding(std::uint64_t offset) {
    if (offset >= blockStart_ && offset - blockStart_ < block_.size()) {
        return true;
    }
    if (fd_ < 0 || offset >= length_) {
        return false;
    }
    const std::uint64_t start = offset / BlockSize * BlockSize;
    block_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(BlockSize, length_ - start)));
    const ssize_t got = ReadAt(fd_, block_.data(), block_.size(), start);
    block_.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    blockStart_ = start;
    return offset - start < block_.size();
}
