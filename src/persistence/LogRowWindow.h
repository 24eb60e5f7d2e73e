#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <string>

#include "persistence/LogRowReader.h"

// The rows of a log a viewer holds: a run of at most `capacity` consecutive rows, first the
// newest ones, moved towards older or newer ones as the user scrolls. However long the log,
// it holds no more than these rows and one block of the file.
class LogRowWindow {
public:
    // Told around each change of the rows held, as a list model tells its views.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void Inserting(std::size_t first, std::size_t count) = 0;
        virtual void Inserted() = 0;
        virtual void Removing(std::size_t first, std::size_t count) = 0;
        virtual void Removed() = 0;
    };

    LogRowWindow(const std::filesystem::path& log, std::size_t capacity);

    std::size_t Count() const { return rows_.size(); }
    const std::string& Text(std::size_t index) const { return rows_[index].Text; }
    // Whether the log has rows before the first one held, or after the last one, as far as
    // has been looked.
    bool AtStart() const { return atStart_; }
    bool AtEnd() const { return atEnd_; }

    // Reads up to `count` rows before the first one held (at first, the log's last rows) and
    // lets go as many of the newest as the capacity asks. Returns how many were added.
    std::size_t LoadEarlier(std::size_t count, Listener* listener = nullptr);
    // Reads up to `count` rows after the last one held and lets go as many of the oldest as
    // the capacity asks. Returns how many were added.
    std::size_t LoadLater(std::size_t count, Listener* listener = nullptr);

    // The bytes of the log it holds: the rows and the reader's block.
    std::size_t HeldBytes() const;

private:
    LogRowReader reader_;
    const std::size_t capacity_;
    std::deque<LogRowReader::Row> rows_;
    bool atStart_ = false;
    bool atEnd_ = true;
};
