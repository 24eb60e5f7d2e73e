#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "PostgresResult.h"

struct pg_conn;

// One connection to a PostgreSQL server, closed with the object. Each statement is prepared
// on its first use and kept for the connection's life. Not for two threads at once.
class PostgresConnection {
public:
    PostgresConnection() = default;
    ~PostgresConnection();
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    // `url`: postgresql://user@host:port/database?options (libpq's connection URI).
    bool Connect(const std::string& url, std::string& error);
    // False once the server has gone away, or while a transaction is left open; such a
    // connection is not used again.
    bool IsUsable() const;

    // Runs `sql` with its $1, $2... taken from `parameters` (text; see Param).
    PostgresResult Run(std::string_view sql, std::initializer_list<std::string> parameters = {});
    // Runs one or more commands without parameters (BEGIN, COMMIT, the schema).
    bool Execute(std::string_view sql);
    std::string LastError() const;

    static std::string Param(std::int64_t value) { return std::to_string(value); }
    // The shortest text that reads back as exactly `value`.
    static std::string Param(double value);
    static std::string Param(std::string_view text) { return std::string(text); }

private:
    pg_conn* connection_ = nullptr;
    std::unordered_map<std::string, std::string> prepared_;  // statement text -> its name
};
