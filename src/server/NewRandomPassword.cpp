#include "server/NewRandomPassword.h"

#include <openssl/rand.h>

#include <string_view>

std::string NewRandomPassword() {
    static constexpr std::string_view kAlphabet = "qwertyuiopasdfghjklzxcvbnm1234567890";
    static constexpr std::size_t kLength = 10;
    // 252 is the largest multiple of 36 in a byte: bytes at or above it are skipped, so every
    // character is equally likely.
    static constexpr unsigned kLimit = 256 / kAlphabet.size() * kAlphabet.size();
    std::string password;
    while (password.size() < kLength) {
        unsigned char bytes[32];
        if (RAND_bytes(bytes, sizeof bytes) != 1) {
            return "";
        }
        for (const unsigned char byte : bytes) {
            if (byte < kLimit && password.size() < kLength) {
                password += kAlphabet[byte % kAlphabet.size()];
            }
        }
    }
    return password;
}
