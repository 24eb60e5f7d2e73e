#include "persistence/DataFolder.h"

#include <unistd.h>

#include <system_error>
#include <utility>

#include "files/EnsureFolder.h"
#include "files/FileIo.h"
#include "platform/linux/UserFolders.h"

namespace {

constexpr std::string_view MarkerContent = "yes!";
constexpr mode_t MarkerMode = 0644;
// The per-user folder holds credentials and counts: private to the user, as XDG asks.
constexpr mode_t PerUserFolderMode = 0700;

}  // namespace

DataFolder::DataFolder(std::filesystem::path programFolder, std::filesystem::path dataHome)
    : programFolder_(std::move(programFolder)), dataHome_(std::move(dataHome)) {}

DataFolder DataFolder::FromEnvironment() {
    return DataFolder(UserFolders::ProgramFolder(), UserFolders::DataHome());
}

std::filesystem::path DataFolder::PerUserFolder() const {
    return dataHome_.empty() ? std::filesystem::path() : dataHome_ / "Kestrovin" / "";
}

std::filesystem::path DataFolder::PortableMarkerPath() const {
    return programFolder_ / "portable.txt";
}

std::filesystem::path DataFolder::SettingsFilePath() const {
    return programFolder_ / "settings.ini";
}

bool DataFolder::IsPortableMarkerPresent() const {
    std::error_code error;
    return std::filesystem::is_regular_file(PortableMarkerPath(), error);
}

void DataFolder::ApplyPortableModeChange(bool wasPortable, bool isPortable) const {
    if (!wasPortable && isPortable) {
        WriteFileAtomically(PortableMarkerPath(), MarkerContent, MarkerMode);
    } else if (wasPortable && !isPortable) {
        // unlink, not remove: a folder that happens to carry the marker's name stays.
        ::unlink(PortableMarkerPath().c_str());
    }
}

bool DataFolder::UsesPerUserFolder(bool portableMode) const {
    return !portableMode && !dataHome_.empty();
}

std::filesystem::path DataFolder::GetDataFilePath(std::string_view name, bool portableMode) const {
    if (UsesPerUserFolder(portableMode)) {
        EnsureFolder(dataHome_ / "Kestrovin", PerUserFolderMode);
        return PerUserFolder() / name;
    }
    return programFolder_ / name;
}

std::filesystem::path DataFolder::GetDataFolder(bool portableMode) const {
    return UsesPerUserFolder(portableMode) ? PerUserFolder() : programFolder_ / "";
}
