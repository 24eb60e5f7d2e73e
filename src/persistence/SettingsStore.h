#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "counting/AppRecord.h"
#include "persistence/StorageAccess.h"

class TypedStore;

// Moves the 73 settings between a record and their store: settings.ini in portable mode,
// otherwise the per-user typed store under "Software\Kestrovin\" + section. The store is
// chosen from the record's PortableMode on every call. An action "load" loads; any other
// action saves. Missing or unreadable settings load as 0 or "".
class SettingsStore {
public:
    // `settingsFile` is the program folder's "settings.ini". The record and the typed store
    // must outlive this object.
    // A ReadOnly store loads without creating a missing settings.ini, and never saves.
    SettingsStore(AppRecord& record, std::filesystem::path settingsFile, TypedStore& typedStore,
                  StorageAccess access = StorageAccess::ReadWrite);

    // Every key in table order. A load reads the store once; a save writes every key, changed
    // or not, in one write of the file (or one Flush of the typed store), with the same result
    // as saving the keys one after the other. False only when a save could not be written.
    bool TransferSettings(std::string_view action);

    // The same transfer, one key at a time, each key read from or written to the file on disk
    // on its own: the slow way, kept as the reference for TransferSettings.
    bool TransferSettingsKeyByKey(std::string_view action);

    // One key. A save to the typed store is flushed at once; a save to the file needs the file
    // to exist. False only when a save could not be written.
    bool TransferInt(std::string_view action, std::string_view section, std::string_view key,
                     std::int32_t& field);
    bool TransferText(std::string_view action, std::string_view section, std::string_view key,
                      std::string& field);
    bool TransferReal(std::string_view action, std::string_view section, std::string_view key,
                      double& field);

    // "Software\Kestrovin\" + section.
    static std::string KeyPath(std::string_view section);

private:
    void LoadFromFile();
    bool SaveToFile();
    void LoadFromTypedStore();
    bool SaveToTypedStore();

    AppRecord& record_;
    std::filesystem::path settingsFile_;
    TypedStore& typedStore_;
    StorageAccess access_;
};
