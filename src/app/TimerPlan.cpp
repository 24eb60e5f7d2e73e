#include "app/TimerPlan.h"

#include "counting/Preferences.h"

std::vector<TimerPlan> StartupTimers(const Preferences& preferences) {
    std::vector<TimerPlan> timers{
        {MainTimer::Tooltip, 1000},
        {MainTimer::PeriodicSave, 300000},
        {MainTimer::VersionCheck, 900000},
    };
    if (preferences.IconRefresh != 0) {
        timers.push_back({MainTimer::IconRefresh, 60000});
    }
    if (preferences.GenXML != 0) {
        timers.push_back(TemplateOutputTimer);
    }
    if (preferences.CheckUpdatesStartup == 1) {
        timers.push_back({MainTimer::StartupVersionCheck, 5000});
    }
    return timers;
}
