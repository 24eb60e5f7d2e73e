#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

#include "SqliteStatement.h"

struct sqlite3;

// One SQLite connection, closed with the object. Not for use by two threads at once: its
// owner serializes access.
class SqliteDatabase {
public:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Opens or creates the file, readable by its owner only; on failure returns false and
    // describes why in `error`.
    bool Open(const std::filesystem::path& file, std::string& error);

    bool Execute(std::string_view sql);
    SqliteStatement Prepare(std::string_view sql);
    // The statement for `sql`, prepared on first use and kept, reset and unbound: for the
    // requests that come all the time. Reset it after reading its rows; valid until Open.
    SqliteStatement& Reused(std::string_view sql);

    std::int64_t LastInsertId() const;
    std::string LastError() const;

private:
    sqlite3* database_ = nullptr;
    std::unordered_map<std::string, SqliteStatement> reused_;
};
