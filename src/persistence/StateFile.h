#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "counting/AccountState.h"

// Kestrovin.ksv on disk: the state stream of the account, encrypted as one message. Reads take
// the whole file; saves refresh the backup and then replace the file atomically, so a failed
// save always leaves the previous state file as it was.
class StateFile {
public:
    // What the user sees when the state file cannot be created in its folder.
    static constexpr std::string_view CannotSaveMessage =
        "Unable to save Kestrovin.ksv! If you're using a portable device,\n"
        " please check if it's plugged in correctly.";

    // Owner read and write only: the file holds the password.
    static constexpr mode_t FileMode = 0600;

    struct ReadResult {
        enum class Status {
            Loaded,        // fields 2 to 9 are in the account
            CouldNotOpen,  // missing or unreadable at open: nothing to show
            ReadFailed,    // opened but not loadable: show Message
        };
        Status Result = Status::CouldNotOpen;
        std::string Message;  // user-facing, for ReadFailed only
    };

    struct WriteResult {
        enum class Status {
            Saved,
            CannotCreate,  // Message is CannotSaveMessage
            WriteFailed,   // Message describes the failure ("... No space left on device.")
        };
        Status Result = Status::Saved;
        std::string Message;  // user-facing, empty when Saved
    };

    // Reads the file at `path` into fields 2 to 9 of `account` (UserName ... UnsentMetres).
    // Unless the result is Loaded, `account` is left as it was.
    static ReadResult Read(const std::filesystem::path& path, AccountState& account);

    // Copies the current file at `path` to `backupPath` when it is a readable state file (a
    // damaged file never replaces the backup; a failed copy is ignored), then writes the
    // account's stream encrypted to `path` with FileMode.
    static WriteResult Write(const std::filesystem::path& path,
                             const std::filesystem::path& backupPath, const AccountState& account);
};
