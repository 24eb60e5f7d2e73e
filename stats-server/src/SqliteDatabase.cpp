#include "SqliteDatabase.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Creates the file readable and writable by its owner only, or takes group and other rights
// from one that exists, before SQLite opens it: it holds password hashes, e-mail addresses and
// tokens. SQLite gives the -wal and -shm files the database's mode; those left by an older
// run are tightened too. An existing file is never opened here: closing a descriptor of a file
// drops every lock the process holds on it, and a connection of this process already open on
// it (the server's reader beside its writer) would lose its locks. Another process would then
// take the write-ahead log for abandoned, and what this one commits later would be lost.
bool MakePrivate(const std::filesystem::path& file, std::string& error) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd >= 0) {
        ::close(fd);  // new and empty: no connection holds it yet
    } else if (errno != EEXIST) {
        error = std::strerror(errno);
        return false;
    }
    struct stat info = {};
    const bool tightened =
        ::stat(file.c_str(), &info) == 0 &&
        ((info.st_mode & 077) == 0 || ::chmod(file.c_str(), info.st_mode & 0700) == 0);
    if (!tightened) {
        error = std::string("cannot make it private: ") + std::strerror(errno);
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::string companion = file.string() + suffix;
        if (::stat(companion.c_str(), &info) == 0 && (info.st_mode & 077) != 0) {
            ::chmod(companion.c_str(), info.st_mode & 0700);
        }
    }
    return tightened;
}

}  // namespace

SqliteDatabase::~SqliteDatabase() {
    reused_.clear();
    sqlite3_close_v2(database_);
}

bool SqliteDatabase::Open(const std::filesystem::path& file, std::string& error) {
    reused_.clear();
    sqlite3_close_v2(database_);
    database_ = nullptr;
    if (!MakePrivate(file, error)) {
        return false;
    }
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

SqliteStatement& SqliteDatabase::Reused(std::string_view sql) {
    auto [entry, added] = reused_.try_emplace(std::string(sql));
    if (added || !entry->second.IsValid()) {
        entry->second = Prepare(sql);
    } else {
        entry->second.Reset();
    }
    return entry->second;
}

std::int64_t SqliteDatabase::LastInsertId() const {
    return database_ != nullptr ? sqlite3_last_insert_rowid(database_) : 0;
}

std::string SqliteDatabase::LastError() const {
    return database_ != nullptr ? sqlite3_errmsg(database_) : "the database is not open";
}
