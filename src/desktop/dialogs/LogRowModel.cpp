#include "desktop/dialogs/LogRowModel.h"

#include <utility>

LogRowModel::LogRowModel(std::filesystem::path log, QObject* parent)
    : QAbstractListModel(parent), log_(std::move(log)) {
    Reload();
}

void LogRowModel::Reload() {
    beginResetModel();
    window_ = std::make_unique<LogRowWindow>(log_, MostRowsHeld);
    window_->LoadEarlier(RowsPerRead);
    endResetModel();
}

int LogRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(window_->Count());
}

QVariant LogRowModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() ||
        static_cast<std::size_t>(index.row()) >= window_->Count()) {
        return {};
    }
    return QString::fromLocal8Bit(window_->Text(static_cast<std::size_t>(index.row())));
}

QVariant LogRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0) {
        return QStringLiteral("Message");
    }
    return {};
}

void LogRowModel::Inserting(std::size_t first, std::size_t count) {
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
}

void LogRowModel::Inserted() {
    endInsertRows();
}

void LogRowModel::Removing(std::size_t first, std::size_t count) {
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
}

void LogRowModel::Removed() {
    endRemoveRows();
}
