#include "AccountDatabase.h"

#include "PostgresAccountStore.h"
#include "SqliteAccountStore.h"

// A store that was never opened answers every operation with a failure.
AccountDatabase::AccountDatabase() : store_(std::make_unique<SqliteAccountStore>()) {}

AccountDatabase::~AccountDatabase() = default;

bool AccountDatabase::IsPostgresUrl(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

bool AccountDatabase::Open(const std::string& location, std::string& error) {
    std::unique_ptr<AccountStore> opened;
    if (IsPostgresUrl(location)) {
        auto store = std::make_unique<PostgresAccountStore>();
        if (store->Open(location, error)) {
            opened = std::move(store);
        }
    } else {
        auto store = std::make_unique<SqliteAccountStore>();
        if (store->Open(location, error)) {
            opened = std::move(store);
        }
    }
    if (!opened) {
        return false;
    }
    store_ = std::move(opened);
    return true;
}
