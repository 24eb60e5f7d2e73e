#include "persistence/AppPersistence.h"

#include <cmath>

#include "counting/KeyFrequencyTable.h"
#include "persistence/AppRecord.h"
#include "persistence/State.h"
#include "platform/linux/FileTypedStore.h"

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
    const double metres = loaded.Account.UnsentMetres;
    if (!std::isfinite(metres) || metres < 0) {
        loaded.Account.UnsentMetres = 0.0;
    }
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

void AppPersistence::SaveAll(const AppRecord& record, const KeyFrequencyTable& frequencies) const {
    if (access_ == StorageAccess::ReadOnly) {
        return;
    }
    FileTypedStore typedStore(typedStoreFile_);
    CState state(record, dataFolder_, typedStore, user_);
    state.SaveToDisk();
    frequencies.Save(dataFolder_.GetDataFilePath(KeyFrequencyFileName, record.Prefs.PortableMode));
}
