// Feeds arbitrary bytes to the read side of Kestrovin.ksv, the way a damaged or hostile file
// would reach it: the state-stream parser alone, decryption followed by the parser, and the
// whole file read from disk. Whatever parses must write back into a stream (or a file) that
// parses to the same fields, and encryption must round-trip. The first input byte chooses the
// path.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "StateFields.h"
#include "files/FileIo.h"
#include "persistence/StateCipher.h"
#include "persistence/StateFile.h"
#include "persistence/StateStream.h"
#include "support/TempFolder.h"

namespace {

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
    switch (data[0] % 4) {
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
        case 2: {
            static const TempFolder folder;
            Check(WriteFileAtomically(folder / "Kestrovin.ksv", input, StateFile::FileMode));
            AccountState read;
            const StateFile::ReadResult result = StateFile::Read(folder / "Kestrovin.ksv", read);
            Check((result.Result == StateFile::ReadResult::Status::ReadFailed) ==
                  !result.Message.empty());
            if (result.Result == StateFile::ReadResult::Status::Loaded) {
                Check(
                    StateFile::Write(folder / "again.ksv", folder / "again.ksv.bak", read).Result ==
                    StateFile::WriteResult::Status::Saved);
                AccountState reread;
                Check(StateFile::Read(folder / "again.ksv", reread).Result ==
                      StateFile::ReadResult::Status::Loaded);
                Check(SameStoredFields(read, reread));
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
