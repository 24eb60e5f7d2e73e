#include "persistence/State.h"

#include "persistence/DataFolder.h"
#include "persistence/SettingsStore.h"
#include "persistence/StateFile.h"
#include "shell/UserPort.h"

CState::CState(const AppRecord& record, const DataFolder& dataFolder, TypedStore& typedStore,
               UserPort& user, StorageAccess access)
    : Record(record),
      dataFolder_(dataFolder),
      typedStore_(typedStore),
      user_(user),
      access_(access) {}

std::filesystem::path CState::DataFilePath(const char* name) const {
    const bool portable = Record.Prefs.PortableMode;
    return access_ == StorageAccess::ReadOnly ? dataFolder_.GetDataFolder(portable) / name
                                              : dataFolder_.GetDataFilePath(name, portable);
}

int CState::LoadFromDisk() {
    SettingsStore(Record, dataFolder_.SettingsFilePath(), typedStore_, access_)
        .TransferSettings("load");
    const StateFile::ReadResult read = StateFile::Read(DataFilePath(StateFileName), Record.Account);
    switch (read.Result) {
        case StateFile::ReadResult::Status::Loaded:
            return 0;
        case StateFile::ReadResult::Status::ReadFailed:
            user_.ShowMessage(read.Message);
            return 2;
        case StateFile::ReadResult::Status::CouldNotOpen:
            break;
    }
    return 2;
}

void CState::SaveToDisk() {
    if (access_ == StorageAccess::ReadOnly) {
        return;
    }
    SettingsStore(Record, dataFolder_.SettingsFilePath(), typedStore_).TransferSettings("save");
    const StateFile::WriteResult written =
        StateFile::Write(DataFilePath(StateFileName), DataFilePath(BackupFileName), Record.Account);
    if (written.Result != StateFile::WriteResult::Status::Saved) {
        user_.ShowMessage(written.Message);
    }
}
