#include "PostgresResult.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <utility>

PostgresResult::~PostgresResult() {
    PQclear(result_);
}

PostgresResult::PostgresResult(PostgresResult&& other) noexcept
    : result_(std::exchange(other.result_, nullptr)) {}

PostgresResult& PostgresResult::operator=(PostgresResult&& other) noexcept {
    if (this != &other) {
        PQclear(result_);
        result_ = std::exchange(other.result_, nullptr);
    }
    return *this;
}

bool PostgresResult::Ok() const {
    const ExecStatusType status = PQresultStatus(result_);
    return result_ != nullptr && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK);
}

int PostgresResult::Rows() const {
    return Ok() ? PQntuples(result_) : 0;
}

std::int64_t PostgresResult::Integer(int row, int column) const {
    const char* text = PQgetvalue(result_, row, column);
    std::int64_t value = 0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

double PostgresResult::Real(int row, int column) const {
    return std::strtod(PQgetvalue(result_, row, column), nullptr);
}

std::string PostgresResult::Text(int row, int column) const {
    return std::string(PQgetvalue(result_, row, column),
                       static_cast<std::size_t>(PQgetlength(result_, row, column)));
}

bool PostgresResult::IsNull(int row, int column) const {
    return PQgetisnull(result_, row, column) == 1;
}

std::string PostgresResult::Error() const {
    return result_ != nullptr ? PQresultErrorMessage(result_) : "no answer from the database";
}
