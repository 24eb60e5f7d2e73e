#include "PostgresConnection.h"

#include <libpq-fe.h>

#include <charconv>
#include <vector>

PostgresConnection::~PostgresConnection() {
    PQfinish(connection_);
}

bool PostgresConnection::Connect(const std::string& url, std::string& error) {
    PQfinish(connection_);
    prepared_.clear();
    connection_ = PQconnectdb(url.c_str());
    if (PQstatus(connection_) != CONNECTION_OK) {
        error = connection_ != nullptr ? PQerrorMessage(connection_) : "out of memory";
        while (!error.empty() && error.back() == '\n') {
            error.pop_back();
        }
        PQfinish(connection_);
        connection_ = nullptr;
        return false;
    }
    return true;
}

bool PostgresConnection::IsUsable() const {
    return connection_ != nullptr && PQstatus(connection_) == CONNECTION_OK &&
           PQtransactionStatus(connection_) == PQTRANS_IDLE;
}

std::string PostgresConnection::Param(double value) {
    char text[64] = {};
    const auto done = std::to_chars(text, text + sizeof text, value);
    return std::string(text, done.ptr);
}

PostgresResult PostgresConnection::Run(std::string_view sql,
                                       std::initializer_list<std::string> parameters) {
    if (connection_ == nullptr) {
        return PostgresResult();
    }
    auto [entry, added] = prepared_.try_emplace(std::string(sql));
    if (added) {
        entry->second = "k" + std::to_string(prepared_.size());
        PostgresResult prepared(
            PQprepare(connection_, entry->second.c_str(), entry->first.c_str(), 0, nullptr));
        if (!prepared.Ok()) {
            prepared_.erase(entry);
            return prepared;
        }
    }
    std::vector<const char*> values;
    for (const std::string& parameter : parameters) {
        values.push_back(parameter.c_str());
    }
    return PostgresResult(PQexecPrepared(connection_, entry->second.c_str(),
                                         static_cast<int>(values.size()), values.data(), nullptr,
                                         nullptr, 0));
}

bool PostgresConnection::Execute(std::string_view sql) {
    if (connection_ == nullptr) {
        return false;
    }
    const std::string text(sql);
    return PostgresResult(PQexec(connection_, text.c_str())).Ok();
}

std::string PostgresConnection::LastError() const {
    return connection_ != nullptr ? PQerrorMessage(connection_) : "not connected";
}
