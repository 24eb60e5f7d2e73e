#include "app/TimerPlan.h"

#include <gtest/gtest.h>

#include "counting/Preferences.h"

namespace {

using Plan = std::vector<TimerPlan>;

TEST(TimerPlanTest, StartsTheOptionalTimersAfterTheFixedOnesWhenTheirSettingsAreOn) {
    Preferences preferences;
    preferences.IconRefresh = 0;
    preferences.GenXML = 0;
    preferences.CheckUpdatesStartup = 0;
    const Plan fixed{{MainTimer::Tooltip, 1000},
                     {MainTimer::PeriodicSave, 300000},
                     {MainTimer::VersionCheck, 900000}};
    EXPECT_EQ(StartupTimers(preferences), fixed);

    preferences.CheckUpdatesStartup = 2;  // only 1 checks at start
    EXPECT_EQ(StartupTimers(preferences), fixed);

    preferences.IconRefresh = 1;
    preferences.GenXML = 1;
    preferences.CheckUpdatesStartup = 1;
    Plan all = fixed;
    all.push_back({MainTimer::IconRefresh, 60000});
    all.push_back({MainTimer::TemplateOutput, 300000});
    all.push_back({MainTimer::StartupVersionCheck, 5000});
    EXPECT_EQ(StartupTimers(preferences), all);
}

}  // namespace
