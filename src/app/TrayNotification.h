#pragma once

#include <string>

#include "app/TrayMenu.h"

struct Preferences;
class SkeldScheduler;

// The mouse actions on the tray icon that mean something.
enum class TrayMouse { RightButtonUp, LeftDoubleClick, Other };

// What the tray does about a mouse action on its icon.
struct TrayReaction {
    enum class Kind { Nothing, ShowMenu, SendCommand };

    Kind What = Kind::Nothing;
    std::string DefaultItemText;              // ShowMenu: the text of the first item
    TrayCommand Command = TrayCommand::None;  // SendCommand: the command to carry out

    friend bool operator==(const TrayReaction&, const TrayReaction&) = default;
};

// The id of the program's one tray icon.
inline constexpr int TrayIconResourceId = 134;

// Decides what a mouse action on the tray icon does: nothing while a skeld runs or start-up is
// unfinished (TrayReady clear); a right-button release opens the menu with the countdown as
// the default item's text; a double click, with DoubleClickTray set, carries out the default
// item's command ("Skeld Now").
TrayReaction OnTrayNotification(const SkeldScheduler& scheduler, const Preferences& preferences,
                                int iconId, TrayMouse mouse);
