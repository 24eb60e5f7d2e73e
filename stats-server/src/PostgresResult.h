#pragma once

#include <cstdint>
#include <string>

struct pg_result;

// The answer to one PostgreSQL command, freed with the object. Values come as text and are
// read as the column's type; rows and columns are numbered from 0.
class PostgresResult {
public:
    PostgresResult() = default;
    explicit PostgresResult(pg_result* result) : result_(result) {}
    ~PostgresResult();
    PostgresResult(PostgresResult&& other) noexcept;
    PostgresResult& operator=(PostgresResult&& other) noexcept;
    PostgresResult(const PostgresResult&) = delete;
    PostgresResult& operator=(const PostgresResult&) = delete;

    // The command ran (with or without rows).
    bool Ok() const;
    int Rows() const;
    std::int64_t Integer(int row, int column) const;
    double Real(int row, int column) const;
    std::string Text(int row, int column) const;
    bool IsNull(int row, int column) const;
    // What went wrong, when not Ok.
    std::string Error() const;

private:
    pg_result* result_ = nullptr;
};
