#include "MaintenanceActions.h"

#include "AccountRules.h"
#include "CredentialCheck.h"
#include "NumberText.h"
#include "PasswordSeal.h"
#include "RandomToken.h"
#include "ReplyText.h"

namespace {

constexpr std::size_t kTokenBytes = 16;
// Longer than the codes mailed before codes were stored as digests, which still work.
constexpr std::size_t kCodeBytes = 20;
constexpr std::size_t kImageNameBytes = 12;

std::string ConfirmationMail(const Account& account, std::string_view password,
                             const std::string& link) {
    return "Someone asked, from the Kestrovin client, for a new password for your statistics "
           "account.\n\n    Account name: " +
           account.name + "\n    User id:      " + std::to_string(account.userId) +
           "\n    New password: " + std::string(password) +
           "\n\nKeep the new password: you need it to log in on another computer or after "
           "logging off. The client already uses it. It becomes valid on the server once you "
           "confirm it within 48 hours on this page:\n\n    " +
           link +
           "\n\nUntil then your old password stays valid. If you did not ask for a new "
           "password, ignore this message.\n";
}

}  // namespace

ActionReply MaintenanceActions::ResetToken(const DecodedForm& form) {
    const auto userId = NumberText::ParseInteger(form.Find("userid").value_or(""));
    if (!userId) {
        return ReplyText::BadRequest("userid must be a number");
    }
    const auto login = CredentialCheck::ById(context_, form.ClientAddress(), *userId,
                                             form.Find("password").value_or(""),
                                             form.Find("computer").value_or(""));
    if (login.status != CredentialCheck::Status::Passed) {
        return CredentialCheck::FailureReply(login.status, ReplyText::Status("500 RT ERROR"));
    }
    const auto token = RandomToken::Hex(kTokenBytes);
    if (!token || !context_.database.ReplaceToken(login.computer.computerId, *token)) {
        return ReplyText::Status("500 RT ERROR");
    }
    return ReplyText::WithPayload("100 OK", *token);
}

ActionReply MaintenanceActions::ResetPassword(const DecodedForm& form) {
    const auto userId = NumberText::ParseInteger(form.Find("userid").value_or(""));
    if (!userId) {
        return ReplyText::BadRequest("userid must be a number");
    }
    const std::string newPassword = form.Find("new_password").value_or("");
    const auto account = context_.database.FindAccount(*userId);
    switch (account.status) {
        case LookupStatus::Missing:
            return ReplyText::Status("500 AC UNKNOWN");
        case LookupStatus::Failed:
            return ReplyText::Status("500 RP ERROR");
        case LookupStatus::Found:
            break;
    }
    if (const std::string problem = AccountRules::PasswordProblem(newPassword); !problem.empty()) {
        return ReplyText::Message(problem);
    }
    // Anyone who knows a user id can ask; a short pause between requests keeps the owner's
    // mailbox from being flooded.
    const std::int64_t now = context_.clock.Now();
    const auto pending = context_.database.PasswordResetRequested(*userId);
    if (pending.status == LookupStatus::Failed) {
        return ReplyText::Status("500 RP ERROR");
    }
    if (pending.Found() && now - pending.value >= 0 && now - pending.value < kResetMailInterval) {
        return ReplyText::Message(
            "A new password was asked for a few minutes ago; please confirm the e-mail sent "
            "then, or try again later.");
    }
    const auto passwordHash = context_.hasher.Hash(newPassword);
    const auto code = RandomToken::Hex(kCodeBytes);
    const auto codeDigest = code ? PasswordSeal::CodeDigest(*code) : std::nullopt;
    const auto sealed = code ? PasswordSeal::Seal(*code, newPassword) : std::nullopt;
    if (!passwordHash || !codeDigest || !sealed ||
        !context_.database.StorePasswordReset(*userId, *codeDigest, *passwordHash, *sealed, now)) {
        return ReplyText::Status("500 RP ERROR");
    }
    context_.mail.Send(
        account.value.email, "Confirm your new Kestrovin password",
        ConfirmationMail(account.value, newPassword,
                         context_.settings.publicUrl + "/confirm-password/" + *code));
    return ReplyText::Status("100 OK");
}

ActionReply MaintenanceActions::KeyboardImage(const DecodedForm& form) {
    const auto userId = NumberText::ParseInteger(form.Find("userid").value_or(""));
    if (!userId) {
        return ReplyText::BadRequest("userid must be a number");
    }
    const auto login = CredentialCheck::ById(context_, form.ClientAddress(), *userId,
                                             form.Find("password").value_or(""),
                                             form.Find("computer").value_or(""));
    if (login.status != CredentialCheck::Status::Passed) {
        return CredentialCheck::FailureReply(login.status, ReplyText::ServerError());
    }
    const auto random = RandomToken::Hex(kImageNameBytes);
    if (!random) {
        return ReplyText::ServerError();
    }
    const std::string name = *random + ".svg";
    if (!context_.database.StoreKeyboardImage(name, *userId, login.computer.computerId,
                                              form.Find("xml").value_or(""), context_.clock.Now(),
                                              kImagesPerAccount)) {
        return ReplyText::ServerError();
    }
    return ReplyText::WithPayload("100 OK", name);
}

ActionReply MaintenanceActions::CheckVersion(const DecodedForm&) {
    return ReplyText::Status(context_.settings.newestVersion);
}
