#include "CredentialCheck.h"

#include <string>

#include "CredentialCache.h"
#include "FailedLoginLimit.h"
#include "PasswordHasher.h"
#include "ReplyText.h"

CredentialCheck::Result CredentialCheck::ById(AccountDatabase& database, std::int64_t userId,
                                              std::string_view password) {
    return CheckPassword(database.FindAccount(userId), password);
}

CredentialCheck::Result CredentialCheck::ById(AccountDatabase& database, std::int64_t userId,
                                              std::string_view password,
                                              std::string_view computer) {
    return WithComputer(database, ById(database, userId, password), computer);
}

CredentialCheck::Result CredentialCheck::ByName(AccountDatabase& database, std::string_view name,
                                                std::string_view password) {
    return CheckPassword(database.FindAccountByName(name), password);
}

CredentialCheck::Result CredentialCheck::ByName(AccountDatabase& database, std::string_view name,
                                                std::string_view password,
                                                std::string_view computer) {
    return WithComputer(database, ByName(database, name, password), computer);
}

CredentialCheck::Result CredentialCheck::CheckPassword(const Lookup<Account>& account,
                                                       std::string_view password) {
    switch (account.status) {
        case LookupStatus::Missing:
            return {Status::UnknownAccount, {}, {}};
        case LookupStatus::Failed:
            return {};
        case LookupStatus::Found:
            break;
    }
    CredentialCache& cache = CredentialCache::Shared();
    const Account& found = account.value;
    if (!cache.Matches(found.userId, found.passwordHash, password)) {
        // Only the slow check is limited: a client whose password is remembered still passes
        // while someone guesses at its account. The stored hash (salted, so unique) is part of
        // the key, so a new password starts a fresh count.
        FailedLoginLimit& limit = FailedLoginLimit::Shared();
        const std::string key =
            "account:" + std::to_string(found.userId) + ":" + found.passwordHash;
        if (!limit.Allows(key)) {
            return {Status::BadPassword, {}, {}};
        }
        if (!PasswordHasher::Verify(password, found.passwordHash)) {
            limit.RecordFailure(key);
            return {Status::BadPassword, {}, {}};
        }
        cache.Remember(found.userId, found.passwordHash, password);
    }
    return {Status::Passed, account.value, {}};
}

CredentialCheck::Result CredentialCheck::WithComputer(AccountDatabase& database, Result result,
                                                      std::string_view computer) {
    if (result.status != Status::Passed) {
        return result;
    }
    const Lookup<Computer> found = database.FindComputer(result.account.userId, computer);
    switch (found.status) {
        case LookupStatus::Missing:
            return {Status::UnknownComputer, {}, {}};
        case LookupStatus::Failed:
            return {};
        case LookupStatus::Found:
            break;
    }
    result.computer = found.value;
    return result;
}

ActionReply CredentialCheck::FailureReply(Status status, ActionReply databaseFailure) {
    switch (status) {
        case Status::BadPassword:
            return ReplyText::Status("501 BAD PASSWORD");
        case Status::UnknownAccount:
        case Status::UnknownComputer:
            return ReplyText::Status("500 AC UNKNOWN");
        default:
            return databaseFailure;
    }
}
