#include "persistence/State.h"

#include "persistence/DataFolder.h"
#include "persistence/SettingsStore.h"
#include "persistence/StateFile.h"
#include "shell/UserPort.h"

CState::CState(const AppRecord& record, const DataFolder& dataFolder, TypedStore& typedStore,
               UserPort& user)
    : Record(record), dataFolder_(dataFolder), typedStore_(typedStore), user_(user) {}

int CState::LoadFromDisk() {
    SettingsStore(Record, dataFolder_.SettingsFilePath(), typedStore_).TransferSettings("load");
    const bool portable = Record.Prefs.PortableMode;
    const StateFile::ReadResult read =
        StateFile::Read(dataFolder_.GetDataFilePath(StateFileName, portable), Record.Account);
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
    SettingsStore(Record, dataFolder_.SettingsFilePath(), typedStore_).TransferSettings("save");
    const bool portable = Record.Prefs.PortableMode;
    const StateFile::WriteResult written =
        StateFile::Write(dataFolder_.GetDataFilePath(StateFileName, portable),
                         dataFolder_.GetDataFilePath(BackupFileName, portable), Record.Account);
    if (written.Result != StateFile::WriteResult::Status::Saved) {
        user_.ShowMessage(written.Message);
    }
}
