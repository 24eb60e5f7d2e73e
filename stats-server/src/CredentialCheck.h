#pragma once

#include <cstdint>
#include <string_view>

#include "AccountDatabase.h"
#include "ActionContext.h"

// The login every account request starts with: the account, its password, then one of its
// computers. The password is checked before the computer, so that a wrong password learns
// nothing about the account's computer names.
class CredentialCheck {
public:
    enum class Status { Passed, UnknownAccount, UnknownComputer, BadPassword, Failed };
    struct Result {
        Status status = Status::Failed;
        Account account;
        Computer computer;  // filled when a computer was asked for and found
    };

    // `clientAddress`: where the request came from, for the limit on failed logins.
    static Result ById(const ActionContext& context, std::string_view clientAddress,
                       std::int64_t userId, std::string_view password);
    static Result ById(const ActionContext& context, std::string_view clientAddress,
                       std::int64_t userId, std::string_view password, std::string_view computer);
    static Result ByName(const ActionContext& context, std::string_view clientAddress,
                         std::string_view name, std::string_view password);
    static Result ByName(const ActionContext& context, std::string_view clientAddress,
                         std::string_view name, std::string_view password,
                         std::string_view computer);

    // The reply to a request whose check did not pass: "501 BAD PASSWORD" for a wrong
    // password, "500 AC UNKNOWN" for an unknown account or computer, `databaseFailure` when the
    // database could not answer.
    static ActionReply FailureReply(Status status, ActionReply databaseFailure);

private:
    static Result CheckPassword(LoginGuard& guard, const Lookup<Account>& account,
                                std::string_view password, std::string_view clientAddress);
    static Result WithComputer(AccountDatabase& database, Result result, std::string_view computer);
};
