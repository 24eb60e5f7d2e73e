#include "persistence/StateFile.h"

#include <optional>

#include "files/FileIo.h"
#include "persistence/StateCipher.h"
#include "persistence/StateStream.h"

namespace {

using ReadResult = StateFile::ReadResult;
using WriteResult = StateFile::WriteResult;

ReadResult ReadFailed(const std::filesystem::path& path, const std::string& why) {
    return {ReadResult::Status::ReadFailed,
            path.filename().string() + " could not be read: " + why + "."};
}

ReadResult NotAStateFile(const std::filesystem::path& path, const std::string& detail) {
    return ReadFailed(path, "it is not a valid state file (" + detail + ")");
}

// Reads fields 2 to 9 of the state stream in `cipher` into `account`; false, with `account`
// untouched and the reason in `error`, when it is not a readable state file.
bool Decode(const std::string& cipher, AccountState& account, std::string& error) {
    if (cipher.empty()) {
        error = "the file is empty";
        return false;
    }
    const std::optional<std::string> stream = StateCipher::Decrypt(cipher, &error);
    return stream && StateStream::Read(*stream, account, &error);
}

}  // namespace

StateFile::ReadResult StateFile::Read(const std::filesystem::path& path, AccountState& account) {
    // A file that cannot be opened is the normal first start; one that opens but cannot be
    // read is an error to show. A folder, FIFO or device in its place counts as not openable.
    const FileRead file = ReadDataFile(path);
    if (file.Result == FileRead::Status::CannotOpen) {
        return {ReadResult::Status::CouldNotOpen, {}};
    }
    if (file.Result == FileRead::Status::ReadFailed) {
        return ReadFailed(path, "reading it failed (" + file.Error + ")");
    }
    std::string error;
    if (!Decode(file.Bytes, account, error)) {
        return NotAStateFile(path, error);
    }
    return {ReadResult::Status::Loaded, {}};
}

StateFile::WriteResult StateFile::Write(const std::filesystem::path& path,
                                        const std::filesystem::path& backupPath,
                                        const AccountState& account) {
    // The backup is a byte copy of the file before this save, written as safely as the file
    // itself. Only a readable state file becomes the backup: a damaged one must never replace
    // the good backup it could be recovered from.
    const FileRead previous = ReadDataFile(path);
    AccountState scratch;
    std::string ignored;
    if (previous.Result == FileRead::Status::Read && Decode(previous.Bytes, scratch, ignored)) {
        WriteFileAtomically(backupPath, previous.Bytes, FileMode);
    }

    std::string error;
    const std::optional<std::string> cipher =
        StateCipher::Encrypt(StateStream::Write(account), &error);
    if (!cipher) {
        return {WriteResult::Status::WriteFailed,
                path.filename().string() + " could not be saved: " + error + "."};
    }
    AtomicWriteFailure failure = AtomicWriteFailure::None;
    if (WriteFileAtomically(path, *cipher, FileMode, &error, &failure)) {
        return {WriteResult::Status::Saved, {}};
    }
    if (failure == AtomicWriteFailure::CannotCreate) {
        return {WriteResult::Status::CannotCreate, std::string(CannotSaveMessage)};
    }
    return {WriteResult::Status::WriteFailed,
            path.filename().string() + " could not be saved. " + error + "."};
}
