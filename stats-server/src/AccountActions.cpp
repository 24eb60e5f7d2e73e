#include "AccountActions.h"

#include "AccountRules.h"
#include "CredentialCheck.h"
#include "NumberText.h"
#include "RandomToken.h"
#include "ReplyText.h"

namespace {

constexpr std::size_t kTokenBytes = 16;

}  // namespace

ActionReply AccountActions::ComputerList(const DecodedForm& form) {
    const auto login =
        CredentialCheck::ByName(context_, form.ClientAddress(), form.Find("username").value_or(""),
                                form.Find("password").value_or(""));
    if (login.status != CredentialCheck::Status::Passed) {
        return CredentialCheck::FailureReply(login.status, ReplyText::ServerError());
    }
    const auto names = context_.database.ComputerNames(login.account.userId);
    if (!names.Found()) {
        return ReplyText::ServerError();
    }
    return ReplyText::WithPayload("100 OK", ReplyText::Joined(names.value));
}

ActionReply AccountActions::AccountInfo(const DecodedForm& form) {
    const auto login = CredentialCheck::ByName(
        context_, form.ClientAddress(), form.Find("username").value_or(""),
        form.Find("password").value_or(""), form.Find("computer").value_or(""));
    if (login.status != CredentialCheck::Status::Passed) {
        return CredentialCheck::FailureReply(login.status, ReplyText::ServerError());
    }
    const auto standing = context_.database.StandingOf(login.account.userId);
    if (!standing.Found()) {
        return ReplyText::ServerError();
    }
    const Standing& totals = standing.value;
    return ReplyText::WithPayload(
        "100 AC OK", ReplyText::Joined({login.account.email, ReplyText::Count(totals.totalKeys),
                                        ReplyText::Count(totals.totalClicks),
                                        NumberText::Miles(totals.totalMiles),
                                        std::to_string(login.account.userId),
                                        ReplyText::Count(totals.rank), login.computer.token}));
}

ActionReply AccountActions::RegisterAccount(const DecodedForm& form) {
    const std::string name = form.Find("username").value_or("");
    const std::string password = form.Find("password").value_or("");
    const std::string computer = form.Find("computer").value_or("");
    const std::string email = form.Find("email").value_or("");
    if (const std::string problem =
            AccountRules::RegistrationProblem(name, password, computer, email);
        !problem.empty()) {
        return ReplyText::Message(problem);
    }
    const auto passwordHash = context_.hasher.Hash(password);
    const auto token = RandomToken::Hex(kTokenBytes);
    if (!passwordHash || !token) {
        return ReplyText::ServerError();
    }
    const auto registration = context_.database.Register(name, *passwordHash, email, computer,
                                                         *token, context_.clock.Now());
    switch (registration.status) {
        case AccountDatabase::AddStatus::NameTaken:
            return ReplyText::Status("502 AC REGISTERED");
        case AccountDatabase::AddStatus::Failed:
            return ReplyText::ServerError();
        case AccountDatabase::AddStatus::Added:
            break;
    }
    return ReplyText::WithPayload(
        "100 OK", ReplyText::Joined({std::to_string(registration.userId), *token}, ' '));
}
