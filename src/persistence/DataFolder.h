#pragma once

#include <filesystem>
#include <string_view>

// Where the data files, the settings file and the portable marker live.
//
// Normal mode keeps the data files in a per-user folder under the data home; portable mode
// (chosen by the marker file portable.txt beside the program) keeps them, and settings.ini,
// beside the program so they travel with it on a removable drive. When no data home can be
// found, normal mode falls back to the program folder as well.
class DataFolder {
public:
    // `programFolder`: the folder holding the program file. `dataHome`: the user's data home
    // (for example ~/.local/share), or empty when it is unknown.
    DataFolder(std::filesystem::path programFolder, std::filesystem::path dataHome);

    // The folder of the running executable and the XDG data home of this user.
    static DataFolder FromEnvironment();

    const std::filesystem::path& ProgramFolder() const { return programFolder_; }
    // Data home + "/Kestrovin/", or empty when the data home is unknown.
    std::filesystem::path PerUserFolder() const;
    // Program folder + "portable.txt".
    std::filesystem::path PortableMarkerPath() const;
    // Program folder + "settings.ini", the settings store of portable mode.
    std::filesystem::path SettingsFilePath() const;

    // True when a file named portable.txt is beside the program, whatever it holds. A folder
    // of that name does not count.
    bool IsPortableMarkerPresent() const;

    // Carries out a change of the portable preference: switched on creates the marker holding
    // "yes!", switched off deletes it. Failures are ignored; the next start then simply comes
    // up in the other mode.
    void ApplyPortableModeChange(bool wasPortable, bool isPortable) const;

    // The path of a data file. In normal mode with a known data home this also creates the
    // per-user folder (failures are ignored: they show up when the file itself is opened).
    std::filesystem::path GetDataFilePath(std::string_view name, bool portableMode) const;

    // The data folder with its trailing "/", chosen as in GetDataFilePath; creates nothing.
    std::filesystem::path GetDataFolder(bool portableMode) const;

private:
    bool UsesPerUserFolder(bool portableMode) const;

    std::filesystem::path programFolder_;
    std::filesystem::path dataHome_;
};
