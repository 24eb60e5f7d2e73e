#pragma once

#include <optional>
#include <string>
#include <string_view>

// Salted, slow password hashing: PBKDF2 with HMAC-SHA-256 (OpenSSL), a 16-byte random salt
// and a 32-byte result. A stored hash is the text
//     pbkdf2-sha256$<iterations>$<salt, hex>$<hash, hex>
// so that hashes made with another iteration count stay verifiable.
class PasswordHasher {
public:
    static constexpr int kDefaultIterations = 200'000;

    explicit PasswordHasher(int iterations = kDefaultIterations) : iterations_(iterations) {}

    // Nothing when the random source or the hash function failed.
    std::optional<std::string> Hash(std::string_view password) const;
    // False for a wrong password and for a stored text that is not a hash of this kind.
    static bool Verify(std::string_view password, std::string_view stored);

private:
    int iterations_;
};
