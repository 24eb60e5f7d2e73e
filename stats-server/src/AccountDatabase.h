#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "AccountStore.h"

// The server's database, whichever engine keeps it: a SQLite file on this machine, or a
// PostgreSQL database that several server processes (on one machine or several) can share.
// Until it is opened every operation fails.
class AccountDatabase {
public:
    using AddStatus = AccountStore::AddStatus;
    using Registration = AccountStore::Registration;
    using SkeldUpload = AccountStore::SkeldUpload;
    using SkeldStatus = AccountStore::SkeldStatus;
    using SkeldOutcome = AccountStore::SkeldOutcome;
    using ConfirmStatus = AccountStore::ConfirmStatus;

    AccountDatabase();
    ~AccountDatabase();
    AccountDatabase(const AccountDatabase&) = delete;
    AccountDatabase& operator=(const AccountDatabase&) = delete;

    // `location`: a "postgresql://" (or "postgres://") connection URL, otherwise the path of
    // a SQLite file, created with its tables when missing.
    bool Open(const std::string& location, std::string& error);
    static bool IsPostgresUrl(std::string_view location);

    Lookup<Account> FindAccount(std::int64_t userId) { return store_->FindAccount(userId); }
    Lookup<Account> FindAccountByName(std::string_view name) {
        return store_->FindAccountByName(name);
    }
    Lookup<Computer> FindComputer(std::int64_t userId, std::string_view name) {
        return store_->FindComputer(userId, name);
    }
    Lookup<AccountWithComputer> FindAccountWithComputer(std::int64_t userId,
                                                        std::string_view computer) {
        return store_->FindAccountWithComputer(userId, computer);
    }
    Lookup<std::vector<std::string>> ComputerNames(std::int64_t userId) {
        return store_->ComputerNames(userId);
    }
    Lookup<Standing> StandingOf(std::int64_t userId) { return store_->StandingOf(userId); }
    Registration Register(std::string_view name, std::string_view passwordHash,
                          std::string_view email, std::string_view computer, std::string_view token,
                          std::int64_t now) {
        return store_->Register(name, passwordHash, email, computer, token, now);
    }
    AddStatus AddComputer(std::int64_t userId, std::string_view name, std::string_view token) {
        return store_->AddComputer(userId, name, token);
    }
    SkeldOutcome ApplySkeld(const SkeldUpload& upload) { return store_->ApplySkeld(upload); }
    bool ReplaceToken(std::int64_t computerId, std::string_view token) {
        return store_->ReplaceToken(computerId, token);
    }
    bool StorePasswordReset(std::int64_t userId, std::string_view code,
                            std::string_view passwordHash, std::string_view sealedPassword,
                            std::int64_t now) {
        return store_->StorePasswordReset(userId, code, passwordHash, sealedPassword, now);
    }
    Lookup<std::int64_t> PasswordResetRequested(std::int64_t userId) {
        return store_->PasswordResetRequested(userId);
    }
    Lookup<PendingReset> FindPasswordReset(std::string_view code) {
        return store_->FindPasswordReset(code);
    }
    ConfirmStatus ConfirmPasswordReset(std::string_view code, std::int64_t now,
                                       std::int64_t maxAgeSeconds) {
        return store_->ConfirmPasswordReset(code, now, maxAgeSeconds);
    }
    bool ChangePassword(std::int64_t userId, std::string_view passwordHash) {
        return store_->ChangePassword(userId, passwordHash);
    }
    bool StoreKeyboardImage(std::string_view name, std::int64_t userId, std::int64_t computerId,
                            std::string_view xml, std::int64_t now, int keepPerAccount) {
        return store_->StoreKeyboardImage(name, userId, computerId, xml, now, keepPerAccount);
    }
    Lookup<std::string> KeyboardImageXml(std::string_view name) {
        return store_->KeyboardImageXml(name);
    }

private:
    std::unique_ptr<AccountStore> store_;
};
