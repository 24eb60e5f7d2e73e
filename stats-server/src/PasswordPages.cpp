#include "PasswordPages.h"

#include "AccountRules.h"
#include "CredentialCheck.h"
#include "HtmlPage.h"
#include "MaintenanceActions.h"
#include "PasswordSeal.h"

namespace {

// Codes mailed before they were stored as digests had 16 random bytes.
constexpr std::size_t kOlderCodeLength = 32;

WebReply UnknownLink() {
    return WebReply::Page(404, "Unknown link",
                          "<p>This link is not (or no longer) valid. It may have been used "
                          "already.</p>");
}

WebReply ExpiredLink() {
    return WebReply::Page(410, "Link expired",
                          "<p>This link is older than 48 hours; your old password is still "
                          "valid. Ask for a new password from the client again.</p>");
}

WebReply NotChanged(int status, std::string_view reason) {
    return WebReply::Page(
        status, "Password not changed",
        "<p>" + HtmlPage::Escape(reason) + "</p>\n<p><a href=\"/password/\">Try again</a></p>");
}

}  // namespace

std::string PasswordPages::StoredCode(std::string_view code) {
    if (code.size() == kOlderCodeLength) {
        return std::string(code);
    }
    return PasswordSeal::CodeDigest(code).value_or("");
}

WebReply PasswordPages::ConfirmationForm(std::string_view code) const {
    const std::string stored = StoredCode(code);
    const auto pending = context_.database.FindPasswordReset(stored);
    if (pending.status == LookupStatus::Missing) {
        return UnknownLink();
    }
    const auto account =
        pending.Found() ? context_.database.FindAccount(pending.value.userId) : Lookup<Account>{};
    if (!account.Found()) {
        return account.status == LookupStatus::Missing ? UnknownLink() : WebReply::Failure();
    }
    const std::int64_t age = context_.clock.Now() - pending.value.requested;
    if (age < 0 || age > MaintenanceActions::kConfirmationMaxAge) {
        return ExpiredLink();
    }
    const auto password = PasswordSeal::Open(code, pending.value.sealedPassword);
    const std::string passwordRow =
        password ? "<tr><th>New password</th><td><code>" + HtmlPage::Escape(*password) +
                       "</code></td></tr>\n"
                 : "<tr><th>New password</th><td>the one the client chose when you asked "
                   "for it</td></tr>\n";
    return WebReply::Page(
        "Confirm your new password",
        "<p>The Kestrovin client asked for a new password for this account:</p>\n<table>\n"
        "<tr><th>Account name</th><td>" +
            HtmlPage::Escape(account.value.name) + "</td></tr>\n<tr><th>User id</th><td>" +
            std::to_string(account.value.userId) + "</td></tr>\n" + passwordRow +
            "</table>\n<p>Note the password down: you need it to log in on another computer. "
            "It becomes valid when you confirm it here; until then your old password stays "
            "valid. If you did not ask for a new password, leave this page.</p>\n"
            "<form method=\"post\" action=\"/confirm-password/" +
            HtmlPage::Escape(code) +
            "\">\n<button type=\"submit\">Confirm the new password</button>\n</form>");
}

WebReply PasswordPages::Confirm(std::string_view code) const {
    switch (context_.database.ConfirmPasswordReset(StoredCode(code), context_.clock.Now(),
                                                   MaintenanceActions::kConfirmationMaxAge)) {
        case AccountDatabase::ConfirmStatus::Confirmed:
            return WebReply::Page(
                "Password changed",
                "<p>Your new password is valid now; the client can skeld again.</p>");
        case AccountDatabase::ConfirmStatus::Expired:
            return ExpiredLink();
        case AccountDatabase::ConfirmStatus::Unknown:
            return UnknownLink();
        case AccountDatabase::ConfirmStatus::Failed:
            break;
    }
    return WebReply::Failure();
}

WebReply PasswordPages::ChangeForm() const {
    return WebReply::Page(
        "Change your password",
        "<p>Change the password of your statistics account here, and the same in the "
        "client (Account, Local Account Details, Change Password): the client's next skeld "
        "needs the new one.</p>\n<form method=\"post\" action=\"/password/\">\n"
        "<label>Account name <input name=\"username\" autocomplete=\"username\" "
        "required></label>\n"
        "<label>Old password <input name=\"old_password\" type=\"password\" "
        "autocomplete=\"current-password\" required></label>\n"
        "<label>New password <input name=\"new_password\" type=\"password\" "
        "autocomplete=\"new-password\" required></label>\n"
        "<label>New password again <input name=\"new_password_again\" type=\"password\" "
        "autocomplete=\"new-password\" required></label>\n"
        "<button type=\"submit\">Change password</button>\n</form>");
}

WebReply PasswordPages::Change(std::string_view account, std::string_view oldPassword,
                               std::string_view newPassword, std::string_view repeated,
                               std::string_view clientAddress) const {
    if (!repeated.empty() && repeated != newPassword) {
        return NotChanged(400, "The two new passwords differ.");
    }
    if (const std::string problem = AccountRules::PasswordProblem(newPassword); !problem.empty()) {
        return NotChanged(400, problem);
    }
    const auto login = CredentialCheck::ByName(context_, clientAddress, account, oldPassword);
    switch (login.status) {
        case CredentialCheck::Status::Passed:
            break;
        case CredentialCheck::Status::Failed:
            return WebReply::Failure();
        default:
            return NotChanged(403, "Unknown account name or wrong password.");
    }
    const auto hash = context_.hasher.Hash(newPassword);
    if (!hash || !context_.database.ChangePassword(login.account.userId, *hash)) {
        return WebReply::Failure();
    }
    return WebReply::Page("Password changed",
                          "<p>The password of <strong>" + HtmlPage::Escape(login.account.name) +
                              "</strong> is changed. Give the client the same new password "
                              "(Account, Local Account Details, Change Password) before its "
                              "next skeld.</p>");
}
