// Feeds arbitrary bytes to the read side of Kestrovin.ksv, the way a damaged or hostile file
// would reach it: the state-stream parser alone, and decryption followed by the parser. Whatever
// parses must write back into a stream that parses to the same fields, and encryption must
// round-trip. The first input byte chooses the path.

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "persistence/StateCipher.h"
#include "persistence/StateStream.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool SameStoredFields(const AccountState& a, const AccountState& b) {
    return a.UserName == b.UserName && a.ComputerName == b.ComputerName &&
           a.Password == b.Password && a.Token == b.Token && a.UnsentClicks == b.UnsentClicks &&
           a.UnsentKeys == b.UnsentKeys && a.UnsentSpare == b.UnsentSpare &&
           std::bit_cast<std::uint64_t>(a.UnsentMetres.Load()) ==
               std::bit_cast<std::uint64_t>(b.UnsentMetres.Load());
}

void ParseAndRewrite(std::string_view stream) {
    AccountState parsed;
    std::string error;
    if (!StateStream::Read(stream, parsed, &error)) {
        Check(!error.empty());
        return;
    }
    AccountState reread;
    Check(StateStream::Read(StateStream::Write(parsed), reread));
    Check(SameStoredFields(parsed, reread));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            ParseAndRewrite(input);
            break;
        case 1: {
            std::string error;
            const auto plain = StateCipher::Decrypt(input, &error);
            Check(plain.has_value() != !error.empty());
            if (plain) {
                Check(plain->size() < input.size());
                ParseAndRewrite(*plain);
            }
            break;
        }
        default: {
            const auto cipher = StateCipher::Encrypt(input);
            Check(cipher && cipher->size() == 16 * (input.size() / 16 + 1));
            Check(StateCipher::Decrypt(*cipher) == input);
            break;
        }
    }
    return 0;
}
