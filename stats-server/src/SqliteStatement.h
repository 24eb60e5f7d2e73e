#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement, finalized with the object. Parameters are numbered from 1,
// result columns from 0, as in SQLite.
class SqliteStatement {
public:
    enum class StepResult { Row, Done, Failed };

    SqliteStatement() = default;
    SqliteStatement(sqlite3* database, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool IsValid() const { return statement_ != nullptr; }

    // Each returns *this so that a statement can be bound in one expression; a failed bind
    // makes the next Step fail.
    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, double value);
    SqliteStatement& Bind(int index, std::string_view text);

    StepResult Step();
    // Ready to run again: back before its first row, with no parameters bound. A statement
    // that stopped at a row keeps its read open until then.
    void Reset();
    // Steps to the end; true when no step failed.
    bool Run();

    std::int64_t ColumnInteger(int column) const;
    double ColumnReal(int column) const;
    std::string ColumnText(int column) const;
    bool IsNull(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
    bool bindFailed_ = false;
};
