#include "shell/TrayNotification.h"

#include "persistence/Preferences.h"
#include "shell/SkeldScheduler.h"

TrayReaction OnTrayNotification(const SkeldScheduler& scheduler, const Preferences& preferences,
                                int iconId, TrayMouse mouse) {
    if (!scheduler.TrayReady || iconId != TrayIconResourceId) {
        return {};
    }
    switch (mouse) {
        case TrayMouse::RightButtonUp:
            return {TrayReaction::Kind::ShowMenu, scheduler.UpdateSkeldNowLabel()};
        case TrayMouse::LeftDoubleClick:
            if (preferences.DoubleClickTray != 0) {
                return {TrayReaction::Kind::SendCommand, "", TrayMenuEntries().front().Command};
            }
            return {};
        case TrayMouse::Other:
            return {};
    }
    return {};
}
