#include "PasswordHasher.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <vector>

#include "NumberText.h"
#include "RandomToken.h"

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;
constexpr std::int64_t kMaxIterations = 10'000'000;

std::optional<std::vector<unsigned char>> FromHex(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]);
        const int low = nibble(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    return bytes;
}

std::string ToHex(const std::vector<unsigned char>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

std::optional<std::vector<unsigned char>> Derive(std::string_view password,
                                                 const std::vector<unsigned char>& salt,
                                                 int iterations) {
    std::vector<unsigned char> hash(kHashBytes);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(),
                          static_cast<int>(hash.size()), hash.data()) != 1) {
        return std::nullopt;
    }
    return hash;
}

}  // namespace

std::optional<std::string> PasswordHasher::Hash(std::string_view password) const {
    const std::optional<std::string> saltHex = RandomToken::Hex(kSaltBytes);
    if (!saltHex) {
        return std::nullopt;
    }
    const auto hash = Derive(password, *FromHex(*saltHex), iterations_);
    if (!hash) {
        return std::nullopt;
    }
    return std::string(kScheme) + "$" + std::to_string(iterations_) + "$" + *saltHex + "$" +
           ToHex(*hash);
}

bool PasswordHasher::Verify(std::string_view password, std::string_view stored) {
    // scheme $ iterations $ salt $ hash
    std::string_view parts[4];
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? stored.find('$', start) : stored.size();
        if (end == std::string_view::npos) {
            return false;
        }
        parts[i] = stored.substr(start, end - start);
        start = end + 1;
    }
    const auto iterations = NumberText::ParseInteger(parts[1]);
    const auto salt = FromHex(parts[2]);
    const auto expected = FromHex(parts[3]);
    if (parts[0] != kScheme || !iterations || *iterations < 1 || *iterations > kMaxIterations ||
        !salt || !expected || expected->size() != kHashBytes) {
        return false;
    }
    const auto actual = Derive(password, *salt, static_cast<int>(*iterations));
    return actual && CRYPTO_memcmp(actual->data(), expected->data(), kHashBytes) == 0;
}
