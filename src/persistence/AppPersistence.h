#pragma once

#include <cstddef>
#include <filesystem>

#include "persistence/DataFolder.h"
#include "persistence/StorageAccess.h"

struct AppRecord;
class KeyFrequencyTable;
class UserPort;

// What LoadState found.
enum class LoadResult {
    Loaded = 0,         // the account was loaded
    NoUsableState = 2,  // no state file, or one that could not be read
    LoggedOff = 3,      // the user logged off: NewAccount is set
    NoAccount = 5,      // the state file holds no account name
};

// The application's load and save of its whole record: the settings (settings.ini in portable
// mode, else the per-user typed store), the state file and the key tally.
class AppPersistence {
public:
    // A ReadOnly persistence loads without creating or changing any file or folder, and its
    // SaveAll does nothing (and reports no failure).
    AppPersistence(DataFolder dataFolder, std::filesystem::path typedStoreFile, UserPort& user,
                   StorageAccess access = StorageAccess::ReadWrite);

    // Reads the settings and the state file into `record` (on success only: otherwise the
    // record keeps what it held), then, for a usable account, keyfreq.bin into `frequencies`.
    LoadResult LoadState(AppRecord& record, KeyFrequencyTable& frequencies) const;

    // Writes the settings, the state file (after copying the old one to the backup) and then
    // keyfreq.bin, whatever became of the state file — unless keyfreq.bin holds a readable
    // tally that `frequencies` never took in, which stays as it is. False when any of them
    // could not be written; only the state file's failure is shown to the user, so a caller
    // that must not go on unsaved (a command that ends with the record) checks the result.
    bool SaveAll(const AppRecord& record, const KeyFrequencyTable& frequencies) const;

    // Adds the tally on disk to `frequencies` when the state load did not load it (a new
    // account after the setup assistant), so that the history goes on instead of being
    // replaced. False when there is no readable tally.
    bool TakeInKeyTally(const AppRecord& record, KeyFrequencyTable& frequencies) const;

    // Deletes the temporary files that saves interrupted by a crash left beside the state
    // file, its backup, keyfreq.bin, settings.ini, portable.txt and the typed store, in the
    // program folder, the per-user folder and the typed store's folder. Only while the
    // single-instance lock is held. Returns how many were deleted.
    std::size_t RemoveLeftovers() const;

    const DataFolder& Folder() const { return dataFolder_; }

    static constexpr const char* KeyFrequencyFileName = "keyfreq.bin";

private:
    DataFolder dataFolder_;
    std::filesystem::path typedStoreFile_;
    UserPort& user_;
    StorageAccess access_;
};
