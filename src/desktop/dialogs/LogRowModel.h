#pragma once

#include <QAbstractListModel>
#include <filesystem>
#include <memory>

#include "persistence/LogRowWindow.h"

// The rows of a log for a list: those a LogRowWindow holds, under the header "Message".
// Reading starts at the newest rows; the list asks for older or newer ones as it scrolls.
class LogRowModel final : public QAbstractListModel, private LogRowWindow::Listener {
    Q_OBJECT

public:
    // Rows read at a time, and the most held: enough to scroll through without waiting, few
    // enough that the log's length does not matter.
    static constexpr std::size_t RowsPerRead = 200;
    static constexpr std::size_t MostRowsHeld = 2000;

    explicit LogRowModel(std::filesystem::path log, QObject* parent = nullptr);

    // Reads the log's newest rows again, letting go of all others.
    void Reload();
    // Whether rows before the first one listed, or after the last, wait to be read.
    bool HasEarlier() const { return !window_->AtStart(); }
    bool HasLater() const { return !window_->AtEnd(); }
    // Reads more rows before the first listed, or after the last; returns how many came.
    std::size_t LoadEarlier() { return window_->LoadEarlier(RowsPerRead, this); }
    std::size_t LoadLater() { return window_->LoadLater(RowsPerRead, this); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void Inserting(std::size_t first, std::size_t count) override;
    void Inserted() override;
    void Removing(std::size_t first, std::size_t count) override;
    void Removed() override;

    const std::filesystem::path log_;
    std::unique_ptr<LogRowWindow> window_;
};
