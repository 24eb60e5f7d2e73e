#pragma once

#include <filesystem>
#include <string>

#include "counting/AppRecord.h"
#include "persistence/StorageAccess.h"

class DataFolder;
class TypedStore;
class UserPort;

// Loads and saves the whole record — the settings, then the state file — on a private copy,
// so a load that fails leaves the application's record untouched. Lives for one load or save.
class CState {
public:
    CState(const AppRecord& record, const DataFolder& dataFolder, TypedStore& typedStore,
           UserPort& user, StorageAccess access = StorageAccess::ReadWrite);

    // 0 when the settings and the state file were read into the copy, 2 otherwise. A state
    // file that opened but could not be read is reported to the user; when its backup is
    // readable, the user is asked whether to go on with the backup's account instead (0).
    int LoadFromDisk();
    // Writes the settings, refreshes the backup and writes the state file; failures of the
    // state file are reported to the user. True when the settings and the state file were both
    // written (a ReadOnly state writes nothing and says true).
    bool SaveToDisk();

    AppRecord Record;

    static constexpr const char* StateFileName = "Kestrovin.ksv";
    static constexpr const char* BackupFileName = "Kestrovin.ksv.bak";

    // The path of a data file; a ReadOnly state does not create the per-user folder.
    std::filesystem::path DataFilePath(const char* name) const;

private:
    // After the state file was found damaged (`damage` says how): true when the backup is
    // readable and the user chose to go on with it, which is then in the copy.
    bool OfferBackup(const std::string& damage);

    const DataFolder& dataFolder_;
    TypedStore& typedStore_;
    UserPort& user_;
    StorageAccess access_;
};
