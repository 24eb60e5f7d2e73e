#pragma once

#include <cstdint>
#include <vector>

struct Preferences;

// The main timers, by id.
enum class MainTimer : int {
    Tooltip = 105,               // every second: tooltip refresh, hours-based due check
    PeriodicSave = 106,          // every five minutes: countdown copy, save when counted
    StartupVersionCheck = 1106,  // once, five seconds after start
    IconRefresh = 1109,          // every minute: remove and re-add the tray icon
    TemplateOutput = 1110,       // every five minutes: write the template output
    VersionCheck = 1111,         // every 15 minutes: weekly or monthly version check
};

// One timer the program starts, with its period.
struct TimerPlan {
    MainTimer Id;
    std::int32_t PeriodMs;

    friend bool operator==(const TimerPlan&, const TimerPlan&) = default;
};

// The timers to start at the end of start-up, in the order to start them. The template output
// timer is also started on its own when GenXML is switched on later; TemplateOutputTimer gives
// its plan.
std::vector<TimerPlan> StartupTimers(const Preferences& preferences);

inline constexpr TimerPlan TemplateOutputTimer{MainTimer::TemplateOutput, 300000};
