#include "app/TrayNotification.h"

#include <gtest/gtest.h>

#include "app/WiredScheduler.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

using Kind = TrayReaction::Kind;

TEST(TrayNotificationTest, ActsOnTheMouseOnlyWhenTheTrayIsReady) {
    ScopedEnvironment environment;
    environment.Set("TZ", "UTC0");
    TempFolder temp;
    WiredScheduler p(temp.Path());
    p.record.Prefs.SkeldEveryHours = 1;
    p.record.Account.tLastSkeld = static_cast<std::int32_t>(p.clock.Now() - 1800);
    const TrayReaction menu{Kind::ShowMenu, "Skeld Now!  (Auto in 30 Minutes)"};
    const TrayReaction skeldNow{Kind::SendCommand, "", TrayCommand::SkeldNow};
    const TrayReaction nothing{};

    const struct {
        bool trayReady;
        int iconId;
        TrayMouse mouse;
        std::int32_t doubleClickTray;
        TrayReaction reaction;
    } cases[] = {
        {true, 134, TrayMouse::RightButtonUp, 1, menu},
        {true, 134, TrayMouse::LeftDoubleClick, 1, skeldNow},
        {true, 134, TrayMouse::LeftDoubleClick, 0, nothing},
        {true, 134, TrayMouse::Other, 1, nothing},
        {true, 135, TrayMouse::RightButtonUp, 1, nothing},  // not our icon
        // During start-up or a skeld exchange.
        {false, 134, TrayMouse::RightButtonUp, 1, nothing},
        {false, 134, TrayMouse::LeftDoubleClick, 1, nothing},
    };
    for (const auto& c : cases) {
        p.scheduler.TrayReady = c.trayReady;
        p.record.Prefs.DoubleClickTray = c.doubleClickTray;
        const TrayReaction reaction =
            OnTrayNotification(p.scheduler, p.record.Prefs, c.iconId, c.mouse);
        EXPECT_EQ(reaction, c.reaction) << c.trayReady << " " << c.iconId << " "
                                        << static_cast<int>(c.mouse) << c.doubleClickTray;
    }
}

}  // namespace
