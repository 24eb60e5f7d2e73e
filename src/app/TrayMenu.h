#pragma once

#include <span>
#include <string>
#include <string_view>

// The commands of the tray menu.
enum class TrayCommand : int {
    None = 0,
    SkeldNow = 32771,
    Exit = 32774,
    AccountDetails = 32775,
    LogOff = 32779,
    GeekWindow = 32780,
    OnlineStats = 32782,
    SkeldLog = 32787,
    KeyFrequencies = 32788,
    ResetToken = 32791,
    Preferences = 32795,
    DebugLog = 32802,
    Forums = 32809,
    OnlineHelp = 32810,
    DataFolder = 32813,
    DynamicImages = 32815,
    CheckVersion = 32817,
};

// One line of the tray menu. A Submenu's items are the entries right after it that are one
// level deeper. Texts mark the mnemonic with "&" and a literal ampersand with "&&".
struct TrayMenuEntry {
    enum class Kind { Command, Separator, Submenu };

    int Depth;  // 0 for the menu itself, 1 inside a submenu, 2 inside a submenu of that
    Kind What;
    const char* Text;  // empty for a separator
    TrayCommand Command;
};

// The tray menu from top to bottom. Its first entry, "&Skeld Now", is the default item: shown
// bold, labelled by the scheduler each time the menu opens, and what a double click sends.
std::span<const TrayMenuEntry> TrayMenuEntries();

// The text to give an item of a menu that Qt exports over D-Bus to a StatusNotifierItem panel.
// Qt turns only the first "&" into the panel's mnemonic mark and passes a later "&&" on as it
// is, which the panel then shows doubled; the later "&&" become the single "&" they stand for.
std::string TextForExportedMenu(std::string_view text);
