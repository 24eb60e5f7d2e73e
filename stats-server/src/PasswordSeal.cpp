#include "PasswordSeal.h"

#include <openssl/evp.h>

#include <array>
#include <memory>

namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";

std::string ToHex(const unsigned char* bytes, std::size_t size) {
    std::string hex;
    hex.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        hex += kHexDigits[bytes[i] >> 4];
        hex += kHexDigits[bytes[i] & 0x0F];
    }
    return hex;
}

std::optional<std::string> FromHex(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const auto high = kHexDigits.find(hex[i]);
        const auto low = kHexDigits.find(hex[i + 1]);
        if (high == std::string_view::npos || low == std::string_view::npos) {
            return std::nullopt;
        }
        bytes += static_cast<char>(high << 4 | low);
    }
    return bytes;
}

using Digest = std::array<unsigned char, 32>;

std::optional<Digest> Sha256(std::string_view prefix, std::string_view text) {
    Digest digest{};
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                    EVP_MD_CTX_free);
    unsigned int size = 0;
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), prefix.data(), prefix.size()) != 1 ||
        EVP_DigestUpdate(context.get(), text.data(), text.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &size) != 1 || size != digest.size()) {
        return std::nullopt;
    }
    return digest;
}

// ChaCha20 with a key used for one text only, so a fixed nonce is safe; encrypting and
// decrypting are the same operation.
std::optional<std::string> Cipher(std::string_view code, std::string_view text) {
    const auto key = Sha256("password seal:", code);
    if (!key) {
        return std::nullopt;
    }
    const std::array<unsigned char, 16> counterAndNonce{};
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                            EVP_CIPHER_CTX_free);
    std::string out(text.size(), '\0');
    int written = 0;
    if (!context ||
        EVP_EncryptInit_ex(context.get(), EVP_chacha20(), nullptr, key->data(),
                           counterAndNonce.data()) != 1 ||
        EVP_EncryptUpdate(context.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
                          reinterpret_cast<const unsigned char*>(text.data()),
                          static_cast<int>(text.size())) != 1 ||
        written != static_cast<int>(text.size())) {
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::optional<std::string> PasswordSeal::CodeDigest(std::string_view code) {
    const auto digest = Sha256("", code);
    if (!digest) {
        return std::nullopt;
    }
    return ToHex(digest->data(), digest->size());
}

std::optional<std::string> PasswordSeal::Seal(std::string_view code, std::string_view password) {
    // A check value first, so that a seal opened with the wrong code is told apart.
    const auto check = Sha256("password seal check:", password);
    if (!check) {
        return std::nullopt;
    }
    const auto sealed = Cipher(
        code, std::string(reinterpret_cast<const char*>(check->data()), 4) + std::string(password));
    if (!sealed) {
        return std::nullopt;
    }
    return ToHex(reinterpret_cast<const unsigned char*>(sealed->data()), sealed->size());
}

std::optional<std::string> PasswordSeal::Open(std::string_view code, std::string_view sealed) {
    const auto bytes = FromHex(sealed);
    if (!bytes || bytes->size() < 4) {
        return std::nullopt;
    }
    const auto opened = Cipher(code, *bytes);
    if (!opened) {
        return std::nullopt;
    }
    const std::string password = opened->substr(4);
    const auto check = Sha256("password seal check:", password);
    if (!check || opened->compare(0, 4, reinterpret_cast<const char*>(check->data()), 4) != 0) {
        return std::nullopt;
    }
    return password;
}
