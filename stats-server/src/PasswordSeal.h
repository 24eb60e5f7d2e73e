#pragma once

#include <optional>
#include <string>
#include <string_view>

// A pending password reset keeps the new password only sealed with its confirmation code, and
// the code only as a digest: the database alone tells neither, while whoever holds the mailed
// link can be shown the password the link confirms.
class PasswordSeal {
public:
    // What the database keeps in place of the code: SHA-256, lower-case hexadecimal.
    static std::optional<std::string> CodeDigest(std::string_view code);
    // The password encrypted under a key made from the code (each code is random and used for
    // one password only), as hexadecimal.
    static std::optional<std::string> Seal(std::string_view code, std::string_view password);
    // The password again; nothing when `sealed` is not what Seal made with this code.
    static std::optional<std::string> Open(std::string_view code, std::string_view sealed);
};
