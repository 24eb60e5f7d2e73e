#include "persistence/State.h"

#include "persistence/DataFolder.h"
#include "persistence/SettingsStore.h"
#include "persistence/StateFile.h"
#include "ports/UserPort.h"
#include "text/FormatCount.h"

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
            return OfferBackup(read.Message) ? 0 : 2;
        case StateFile::ReadResult::Status::CouldNotOpen:
            break;
    }
    return 2;
}

bool CState::OfferBackup(const std::string& damage) {
    AccountState backup = Record.Account;
    if (StateFile::Read(DataFilePath(BackupFileName), backup).Result !=
        StateFile::ReadResult::Status::Loaded) {
        user_.ShowMessage(damage);
        return false;
    }
    const std::string question =
        damage + "\n\nIts backup " + BackupFileName + " is readable: it holds the account \"" +
        backup.UserName + "\" on the computer \"" + backup.ComputerName + "\" with " +
        FormatCount(backup.GetUnsentKeys()) + " unsent keys and " +
        FormatCount(backup.GetUnsentClicks()) +
        " unsent clicks.\n\nDo you want to go on with the account from the backup?";
    if (!user_.AskYesNo(question)) {
        return false;
    }
    Record.Account = backup;
    return true;
}

bool CState::SaveToDisk() {
    if (access_ == StorageAccess::ReadOnly) {
        return true;
    }
    const bool settingsSaved =
        SettingsStore(Record, dataFolder_.SettingsFilePath(), typedStore_).TransferSettings("save");
    const StateFile::WriteResult written =
        StateFile::Write(DataFilePath(StateFileName), DataFilePath(BackupFileName), Record.Account);
    if (written.Result != StateFile::WriteResult::Status::Saved) {
        user_.ShowMessage(written.Message);
        return false;
    }
    return settingsSaved;
}
