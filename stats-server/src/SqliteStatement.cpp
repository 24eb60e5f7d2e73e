#include "SqliteStatement.h"

#include <sqlite3.h>

#include <utility>

SqliteStatement::SqliteStatement(sqlite3* database, std::string_view sql) {
    if (sqlite3_prepare_v2(database, sql.data(), static_cast<int>(sql.size()), &statement_,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)), bindFailed_(other.bindFailed_) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = std::exchange(other.statement_, nullptr);
        bindFailed_ = other.bindFailed_;
    }
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
    if (statement_ == nullptr || sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) {
        bindFailed_ = true;
    }
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, double value) {
    if (statement_ == nullptr || sqlite3_bind_double(statement_, index, value) != SQLITE_OK) {
        bindFailed_ = true;
    }
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
    if (statement_ == nullptr || sqlite3_bind_text64(statement_, index, text.data(), text.size(),
                                                     SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK) {
        bindFailed_ = true;
    }
    return *this;
}

SqliteStatement::StepResult SqliteStatement::Step() {
    if (statement_ == nullptr || bindFailed_) {
        return StepResult::Failed;
    }
    switch (sqlite3_step(statement_)) {
        case SQLITE_ROW:
            return StepResult::Row;
        case SQLITE_DONE:
            return StepResult::Done;
        default:
            return StepResult::Failed;
    }
}

void SqliteStatement::Reset() {
    if (statement_ != nullptr) {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    bindFailed_ = false;
}

bool SqliteStatement::Run() {
    StepResult result = Step();
    while (result == StepResult::Row) {
        result = Step();
    }
    return result == StepResult::Done;
}

std::int64_t SqliteStatement::ColumnInteger(int column) const {
    return sqlite3_column_int64(statement_, column);
}

double SqliteStatement::ColumnReal(int column) const {
    return sqlite3_column_double(statement_, column);
}

std::string SqliteStatement::ColumnText(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text), size) : "";
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}
