#include "persistence/StateCipher.h"

#include <openssl/err.h>
#include <openssl/evp.h>

#include <array>
#include <cstdint>
#include <memory>

namespace {

constexpr std::size_t BlockSize = 16;

using Key = std::array<unsigned char, 32>;

// The fixed key, kept as two arrays and combined when it is needed so that it is not spelled
// out as one value in the code. This only keeps the state file from being read at a glance:
// anyone who has the program has the key, so it obscures the file, it does not protect it.
// What keeps other users out is the file's mode (owner only).
Key StateKey() {
    static const Key Mask = {0x3a, 0x91, 0x5e, 0xc7, 0x08, 0x6d, 0xf2, 0x14, 0xab, 0x40, 0x77,
                             0xd9, 0x23, 0xbe, 0x65, 0x1c, 0x8f, 0x02, 0xe4, 0x59, 0xc6, 0x3b,
                             0x90, 0x7a, 0x11, 0xdd, 0x48, 0xa5, 0x6e, 0x33, 0xf8, 0x87};
    static const Key Masked = {0x71, 0xf4, 0x2d, 0xb3, 0x7a, 0x02, 0x84, 0x7d, 0xc5, 0x2f, 0x5f,
                               0xaf, 0x10, 0x90, 0x54, 0x32, 0xa9, 0x57, 0x97, 0x3c, 0xb4, 0x1b,
                               0xf3, 0x15, 0x7f, 0xbb, 0x21, 0xc2, 0x4e, 0x58, 0x93, 0xfe};
    Key key;
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = Mask[i] ^ Masked[i];
    }
    return key;
}

struct ContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_CIPHER_CTX, ContextDeleter>;

bool Fail(std::string* error, const std::string& description) {
    ERR_clear_error();
    if (error != nullptr) {
        *error = description;
    }
    return false;
}

// One whole message through an EVP cipher context; `encrypt` chooses the direction.
bool Transform(bool encrypt, std::string_view in, std::string& out, std::string* error) {
    const Context context(EVP_CIPHER_CTX_new());
    const Key key = StateKey();
    const std::array<unsigned char, BlockSize> vector{};
    if (!context || EVP_CipherInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, key.data(),
                                      vector.data(), encrypt ? 1 : 0) != 1) {
        return Fail(error, "the AES cipher could not be prepared");
    }
    // EVP pads and unpads with PKCS #7 by default.
    out.resize(in.size() + BlockSize);
    auto* outBytes = reinterpret_cast<unsigned char*>(out.data());
    int written = 0;
    if (EVP_CipherUpdate(context.get(), outBytes, &written,
                         reinterpret_cast<const unsigned char*>(in.data()),
                         static_cast<int>(in.size())) != 1) {
        return Fail(
            error, encrypt ? "the data could not be encrypted" : "the data could not be decrypted");
    }
    int last = 0;
    if (EVP_CipherFinal_ex(context.get(), outBytes + written, &last) != 1) {
        return Fail(error, encrypt ? "the data could not be encrypted" : "bad padding");
    }
    out.resize(static_cast<std::size_t>(written + last));
    return true;
}

// EVP counts in int; the state stream is a few hundred bytes, but refuse anything that would
// not fit rather than cut it.
bool FitsOneCall(std::string_view in, std::string* error) {
    if (in.size() > static_cast<std::size_t>(INT32_MAX) - BlockSize) {
        return Fail(error, "the data is too large for the cipher");
    }
    return true;
}

}  // namespace

std::optional<std::string> StateCipher::Encrypt(std::string_view plain, std::string* error) {
    std::string cipher;
    if (!FitsOneCall(plain, error) || !Transform(true, plain, cipher, error)) {
        return std::nullopt;
    }
    return cipher;
}

std::optional<std::string> StateCipher::Decrypt(std::string_view cipher, std::string* error) {
    if (cipher.empty()) {
        Fail(error, "the data is empty");
        return std::nullopt;
    }
    if (cipher.size() % BlockSize != 0) {
        Fail(error,
             "the length of " + std::to_string(cipher.size()) + " bytes is not a multiple of 16");
        return std::nullopt;
    }
    std::string plain;
    if (!FitsOneCall(cipher, error) || !Transform(false, cipher, plain, error)) {
        return std::nullopt;
    }
    return plain;
}
