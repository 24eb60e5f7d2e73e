#include "persistence/LogRowWindow.h"

#include <algorithm>
#include <vector>

LogRowWindow::LogRowWindow(const std::filesystem::path& log, std::size_t capacity)
    : reader_(log), capacity_(std::max<std::size_t>(capacity, 1)) {}

std::size_t LogRowWindow::LoadEarlier(std::size_t count, Listener* listener) {
    std::vector<LogRowReader::Row> read;
    LogRowReader::Place at = rows_.empty() ? reader_.End() : rows_.front().At;
    for (count = std::min(count, capacity_); read.size() < count; at = read.back().At) {
        std::optional<LogRowReader::Row> row = reader_.RowBefore(at);
        if (!row) {
            break;
        }
        read.push_back(std::move(*row));
    }
    atStart_ = read.size() < count || at.Offset == 0;
    if (read.empty()) {
        return 0;
    }
    if (listener != nullptr) {
        listener->Inserting(0, read.size());
    }
    for (LogRowReader::Row& row : read) {
        rows_.push_front(std::move(row));
    }
    if (listener != nullptr) {
        listener->Inserted();
    }
    if (const std::size_t excess = rows_.size() > capacity_ ? rows_.size() - capacity_ : 0) {
        if (listener != nullptr) {
            listener->Removing(capacity_, excess);
        }
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(capacity_), rows_.end());
        atEnd_ = false;
        if (listener != nullptr) {
            listener->Removed();
        }
    }
    return read.size();
}

std::size_t LogRowWindow::LoadLater(std::size_t count, Listener* listener) {
    std::vector<LogRowReader::Row> read;
    if (!rows_.empty()) {
        LogRowReader::Place at = rows_.back().Next;
        for (count = std::min(count, capacity_); read.size() < count; at = read.back().Next) {
            std::optional<LogRowReader::Row> row = reader_.RowAt(at);
            if (!row) {
                break;
            }
            read.push_back(std::move(*row));
        }
    }
    atEnd_ =
        read.size() < count || (!read.empty() && read.back().Next.Offset >= reader_.End().Offset);
    if (read.empty()) {
        return 0;
    }
    if (listener != nullptr) {
        listener->Inserting(rows_.size(), read.size());
    }
    std::move(read.begin(), read.end(), std::back_inserter(rows_));
    if (listener != nullptr) {
        listener->Inserted();
    }
    if (const std::size_t excess = rows_.size() > capacity_ ? rows_.size() - capacity_ : 0) {
        if (listener != nullptr) {
            listener->Removing(0, excess);
        }
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(excess));
        atStart_ = false;
        if (listener != nullptr) {
            listener->Removed();
        }
    }
    return read.size();
}

std::size_t LogRowWindow::HeldBytes() const {
    std::size_t held = reader_.HeldBytes();
    for (const LogRowReader::Row& row : rows_) {
        held += sizeof row + row.Text.capacity();
    }
    return held;
}
