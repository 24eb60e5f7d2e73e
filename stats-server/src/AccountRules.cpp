#include "AccountRules.h"

namespace {

constexpr std::size_t kMaxNameBytes = 64;
constexpr std::size_t kMaxPasswordBytes = 256;
constexpr std::size_t kMaxEmailBytes = 254;

bool HasControlCharacter(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

std::string NameProblem(std::string_view name, std::string_view what) {
    const std::string subject(what);
    if (name.empty() || name.size() > kMaxNameBytes) {
        return subject + " must have 1 to 64 characters.";
    }
    if (HasControlCharacter(name)) {
        return subject + " must not contain tabs or other control characters.";
    }
    if (name.front() == ' ' || name.back() == ' ') {
        return subject + " must not begin or end with a space.";
    }
    return "";
}

}  // namespace

std::string AccountRules::AccountNameProblem(std::string_view name) {
    return NameProblem(name, "The account name");
}

std::string AccountRules::PasswordProblem(std::string_view password) {
    if (password.empty() || password.size() > kMaxPasswordBytes) {
        return "The password must have 1 to 256 characters.";
    }
    return "";
}

std::string AccountRules::ComputerNameProblem(std::string_view computer) {
    return NameProblem(computer, "The computer name");
}

std::string AccountRules::EmailProblem(std::string_view email) {
    const std::size_t at = email.rfind('@');
    if (email.size() > kMaxEmailBytes || HasControlCharacter(email) ||
        email.find(' ') != std::string_view::npos || at == std::string_view::npos || at == 0 ||
        at + 1 == email.size()) {
        return "Please give a valid e-mail address.";
    }
    return "";
}

std::string AccountRules::RegistrationProblem(std::string_view name, std::string_view password,
                                              std::string_view computer, std::string_view email) {
    for (std::string problem : {AccountNameProblem(name), PasswordProblem(password),
                                ComputerNameProblem(computer), EmailProblem(email)}) {
        if (!problem.empty()) {
            return problem;
        }
    }
    return "";
}
