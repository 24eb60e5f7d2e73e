#include "RandomToken.h"

#include <openssl/rand.h>

#include <vector>

std::optional<std::string> RandomToken::Hex(std::size_t bytes) {
    std::vector<unsigned char> random(bytes);
    if (RAND_bytes(random.data(), static_cast<int>(random.size())) != 1) {
        return std::nullopt;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes * 2);
    for (unsigned char byte : random) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}
