#pragma once

#include <string>
#include <string_view>

#include "ActionContext.h"
#include "WebReply.h"

// The pages where an account's owner sets a password: the confirmation of a reset the client
// asked for (shown by the mailed link, confirmed only with a button, since mail scanners open
// links), and a form to change the password to one of the owner's choosing.
class PasswordPages {
public:
    explicit PasswordPages(const ActionContext& context) : context_(context) {}

    // The link's page: the account, the new password and the button that confirms it.
    WebReply ConfirmationForm(std::string_view code) const;
    WebReply Confirm(std::string_view code) const;

    WebReply ChangeForm() const;
    // `clientAddress`: where the form came from, for the limit on failed logins. An empty
    // `repeated` is not compared (a script may send the three fields alone).
    WebReply Change(std::string_view account, std::string_view oldPassword,
                    std::string_view newPassword, std::string_view repeated,
                    std::string_view clientAddress) const;

private:
    // What the code's pending reset is stored under: its digest, or the code itself for a
    // reset mailed before codes were kept as digests (those were shorter).
    static std::string StoredCode(std::string_view code);

    const ActionContext& context_;
};
