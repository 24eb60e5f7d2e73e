#pragma once

#include <string>
#include <string_view>

// What the server accepts as account name, password, computer name and e-mail address. Each
// check returns "" when the text is acceptable, else a sentence saying what is wrong.
//
// Names and addresses travel in tab-separated replies and are shown on web pages, so none
// may hold control characters (a tab among them); names are 1 to 64 bytes without blanks at
// either end; a password is 1 to 256 bytes of anything; an e-mail address is at most 254
// bytes without blanks, with text on both sides of its last "@".
class AccountRules {
public:
    static std::string AccountNameProblem(std::string_view name);
    static std::string PasswordProblem(std::string_view password);
    static std::string ComputerNameProblem(std::string_view computer);
    static std::string EmailProblem(std::string_view email);

    // The first problem of the four, or "".
    static std::string RegistrationProblem(std::string_view name, std::string_view password,
                                           std::string_view computer, std::string_view email);
};
