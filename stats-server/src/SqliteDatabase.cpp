#include "SqliteDatabase.h"

#include <sqlite3.h>

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close_v2(database_);
}

bool SqliteDatabase::Open(const std::filesystem::path& file, std::string& error) {
    sqlite3_close_v2(database_);
    database_ = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(file.c_str(), &database_, flags, nullptr) != SQLITE_OK) {
        error = database_ != nullptr ? sqlite3_errmsg(database_) : "out of memory";
        sqlite3_close_v2(database_);
        database_ = nullptr;
        return false;
    }
    // Another process (a backup, the sqlite3 shell) may hold the file for a moment.
    sqlite3_busy_timeout(database_, 5000);
    return true;
}

bool SqliteDatabase::Execute(std::string_view sql) {
    const std::string text(sql);
    return database_ != nullptr &&
           sqlite3_exec(database_, text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

SqliteStatement SqliteDatabase::Prepare(std::string_view sql) {
    return database_ != nullptr ? SqliteStatement(database_, sql) : SqliteStatement();
}

std::int64_t SqliteDatabase::LastInsertId() const {
    return database_ != nullptr ? sqlite3_last_insert_rowid(database_) : 0;
}

std::string SqliteDatabase::LastError() const {
    return database_ != nullptr ? sqlite3_errmsg(database_) : "the database is not open";
}
