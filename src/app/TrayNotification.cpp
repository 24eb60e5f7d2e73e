#include "app/TrayNotification.h"

#include "app/SkeldScheduler.h"
#include "counting/Preferences.h"

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
