#pragma once

#include <span>
#include <string_view>

class TypedStore;
class UserPort;

enum class MigrationType { Int, String };

// One value of the older client and where the current settings keep it.
struct MigrationEntry {
    MigrationType Type;
    std::string_view Section;  // under "Software\Kestrovin\"
    std::string_view OldName;
    std::string_view NewName;
};

// Takes over the preferences an older client kept as values directly under one key of the
// typed store, once: afterwards that key is gone. Start-up runs it before the settings are
// loaded, and only outside portable mode.
class OlderClientMigration {
public:
    static constexpr std::string_view OldKeyPath = "Software\\Kestrovin\\Windows\\";
    static constexpr std::string_view ConvertedMessage =
        "I found traces of an older client and converted your preferences!";

    // Does nothing when the old key does not exist. Otherwise copies every known value (a
    // missing one as 0 or "") to its new place, deletes the old key and, once that is on disk,
    // tells the user. True when the conversion was stored.
    static bool Run(TypedStore& store, UserPort& user);

    // The values taken over, in the order they are copied; a later entry with the same new name
    // wins.
    static std::span<const MigrationEntry> Table();
};
