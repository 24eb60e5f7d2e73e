#include "CredentialCheck.h"

#include <string>

#include "ReplyText.h"

CredentialCheck::Result CredentialCheck::ById(const ActionContext& context,
                                              std::string_view clientAddress, std::int64_t userId,
                                              std::string_view password) {
    return CheckPassword(context.logins, context.database.FindAccount(userId), password,
                         clientAddress);
}

CredentialCheck::Result CredentialCheck::ById(const ActionContext& context,
                                              std::string_view clientAddress, std::int64_t userId,
                                              std::string_view password,
                                              std::string_view computer) {
    // The requests that come all the time (skelds) fetch both in one query.
    const Lookup<AccountWithComputer> found =
        context.database.FindAccountWithComputer(userId, computer);
    Result result =
        CheckPassword(context.logins, {found.status, found.value.account}, password, clientAddress);
    if (result.status != Status::Passed) {
        return result;
    }
    if (!found.value.hasComputer) {
        return {Status::UnknownComputer, {}, {}};
    }
    result.computer = found.value.computer;
    return result;
}

CredentialCheck::Result CredentialCheck::ByName(const ActionContext& context,
                                                std::string_view clientAddress,
                                                std::string_view name, std::string_view password) {
    return CheckPassword(context.logins, context.database.FindAccountByName(name), password,
                         clientAddress);
}

CredentialCheck::Result CredentialCheck::ByName(const ActionContext& context,
                                                std::string_view clientAddress,
                                                std::string_view name, std::string_view password,
                                                std::string_view computer) {
    return WithComputer(context.database, ByName(context, clientAddress, name, password), computer);
}

CredentialCheck::Result CredentialCheck::CheckPassword(LoginGuard& guard,
                                                       const Lookup<Account>& account,
                                                       std::string_view password,
                                                       std::string_view clientAddress) {
    switch (account.status) {
        case LookupStatus::Missing:
            return {Status::UnknownAccount, {}, {}};
        case LookupStatus::Failed:
            return {};
        case LookupStatus::Found:
            break;
    }
    if (!guard.Verify(account.value, password, clientAddress)) {
        return {Status::BadPassword, {}, {}};
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
