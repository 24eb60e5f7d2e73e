#include "persistence/AppPersistence.h"

#include "counting/AppRecord.h"
#include "counting/DistanceUnit.h"
#include "counting/KeyFrequencyTable.h"
#include "files/FileIo.h"
#include "persistence/FileTypedStore.h"
#include "persistence/State.h"

AppPersistence::AppPersistence(DataFolder dataFolder, std::filesystem::path typedStoreFile,
                               UserPort& user, StorageAccess access)
    : dataFolder_(std::move(dataFolder)),
      typedStoreFile_(std::move(typedStoreFile)),
      user_(user),
      access_(access) {}

LoadResult AppPersistence::LoadState(AppRecord& record, KeyFrequencyTable& frequencies) const {
    FileTypedStore typedStore(typedStoreFile_);
    CState state(record, dataFolder_, typedStore, user_, access_);
    if (state.LoadFromDisk() != 0) {
        return LoadResult::NoUsableState;
    }
    // Everything stored comes back; what is never stored keeps its value.
    AppRecord& loaded = state.Record;
    loaded.Prefs.PortableMode = record.Prefs.PortableMode;
    loaded.Account.LastVersionCheck = record.Account.LastVersionCheck;
    loaded.Account.SkeldInProgress = 0;
    // An edited state file must not poison the distance sent to the server.
    loaded.Account.UnsentMetres = SaneMetres(loaded.Account.UnsentMetres);
    record = loaded;

    if (record.Account.UserName.empty()) {
        return LoadResult::NoAccount;
    }
    if (record.Account.NewAccount == 1) {
        return LoadResult::LoggedOff;
    }
    frequencies.Load(dataFolder_.GetDataFilePath(KeyFrequencyFileName, record.Prefs.PortableMode));
    return LoadResult::Loaded;
}

bool AppPersistence::SaveAll(const AppRecord& record, const KeyFrequencyTable& frequencies) const {
    if (access_ == StorageAccess::ReadOnly) {
        return true;
    }
    FileTypedStore typedStore(typedStoreFile_);
    CState state(record, dataFolder_, typedStore, user_);
    const bool stateSaved = state.SaveToDisk();
    const std::filesystem::path tally =
        dataFolder_.GetDataFilePath(KeyFrequencyFileName, record.Prefs.PortableMode);
    // A readable tally this table never took in (the state file could not be loaded, so
    // neither was the tally) is history that must not be overwritten.
    if (frequencies.HoldsFileTally() || !KeyFrequencyTable().Load(tally)) {
        return frequencies.Save(tally) && stateSaved;
    }
    return stateSaved;
}

bool AppPersistence::TakeInKeyTally(const AppRecord& record, KeyFrequencyTable& frequencies) const {
    if (access_ == StorageAccess::ReadOnly) {
        return false;
    }
    return frequencies.TakeIn(
        dataFolder_.GetDataFilePath(KeyFrequencyFileName, record.Prefs.PortableMode));
}

std::size_t AppPersistence::RemoveLeftovers() const {
    if (access_ == StorageAccess::ReadOnly) {
        return 0;
    }
    const std::string registry = typedStoreFile_.filename().string();
    std::size_t removed = RemoveTemporaryLeftovers(
        dataFolder_.ProgramFolder(), {CState::StateFileName, CState::BackupFileName,
                                      KeyFrequencyFileName, "settings.ini", "portable.txt"});
    if (!dataFolder_.PerUserFolder().empty()) {
        removed += RemoveTemporaryLeftovers(
            dataFolder_.PerUserFolder(),
            {CState::StateFileName, CState::BackupFileName, KeyFrequencyFileName});
    }
    if (!typedStoreFile_.empty()) {
        removed += RemoveTemporaryLeftovers(typedStoreFile_.parent_path(), {registry});
    }
    return removed;
}
