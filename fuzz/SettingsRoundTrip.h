#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <type_traits>

#include "FuzzCheck.h"
#include "counting/AppRecord.h"
#include "files/FileIo.h"
#include "persistence/FileTypedStore.h"
#include "persistence/SettingsKeyTable.h"
#include "persistence/SettingsStore.h"

// One load of the settings followed by one save, from and to settings.ini (portable) or the
// typed store file, as the program does at start and at exit.
struct SettingsRoundTrip {
    std::string SavedFile;
    AppRecord Loaded;

    SettingsRoundTrip(bool portable, const std::filesystem::path& settingsFile,
                      const std::filesystem::path& storeFile) {
        Loaded.Prefs.PortableMode = portable;
        FileTypedStore store(storeFile);
        SettingsStore settings(Loaded, settingsFile, store);
        Check(settings.TransferSettings("load"));
        Check(settings.TransferSettings("save"));
        SavedFile = ReadWholeFile(portable ? settingsFile : storeFile).value_or("(unreadable)");
    }
};

// Whether two records hold the same integer and text settings. Reals are left out: they are
// stored rounded, so only their stored text can be compared.
inline bool SameIntegersAndTexts(const AppRecord& a, const AppRecord& b) {
    bool same = true;
    for (const SettingsKey& row : SettingsKeyTable()) {
        UseSettingField(a, row.Field, [&](const auto& fieldOfA) {
            using Field = std::remove_cvref_t<decltype(fieldOfA)>;
            if constexpr (!std::is_same_v<Field, double>) {
                UseSettingField(b, row.Field, [&](const auto& fieldOfB) {
                    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(fieldOfB)>, Field>) {
                        same = same && fieldOfA == fieldOfB;
                    }
                });
            }
        });
    }
    return same;
}

// Loads and saves twice: the second round must read what the first read and leave the file as
// the first save wrote it.
inline void CheckSettingsRoundTrips(bool portable, const std::filesystem::path& settingsFile,
                                    const std::filesystem::path& storeFile) {
    const SettingsRoundTrip first(portable, settingsFile, storeFile);
    const SettingsRoundTrip second(portable, settingsFile, storeFile);
    Check(second.SavedFile == first.SavedFile);
    Check(SameIntegersAndTexts(second.Loaded, first.Loaded));
}
