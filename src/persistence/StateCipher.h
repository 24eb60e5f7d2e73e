#pragma once

#include <optional>
#include <string>
#include <string_view>

// The encryption of Kestrovin.ksv: AES-256 in CBC mode from a vector of 16 zero bytes, with
// PKCS #7 padding, under one fixed key built into the program. Each call handles its input as
// one message, so a message of S bytes encrypts to 16 * (S / 16 + 1) bytes. Fixed key and
// vector make the output a function of the input alone: saving an unchanged record twice gives
// identical files.
class StateCipher {
public:
    // The ciphertext, or nothing with a description in `error` when the cipher fails.
    static std::optional<std::string> Encrypt(std::string_view plain, std::string* error = nullptr);

    // The plain bytes, or nothing with a description in `error`: "the data is empty", "the
    // length of 37 bytes is not a multiple of 16", "bad padding".
    static std::optional<std::string> Decrypt(std::string_view cipher,
                                              std::string* error = nullptr);
};
