#include "app/SkeldTimer.h"

#include <algorithm>
#include <limits>

#include "counting/AppRecord.h"
#include "ports/Clock.h"

SkeldTimer::SkeldTimer(const AppRecord& record, const Clock& clock)
    : record_(record), clock_(clock) {}

LocalDateTime SkeldTimer::NextSkeldTime() const {
    return NextSkeldTime(clock_.Now());
}

LocalDateTime SkeldTimer::NextSkeldTime(std::int64_t now) const {
    const std::int32_t lastSkeld = record_.Account.tLastSkeld;
    if (lastSkeld == 0) {
        return LocalDateTime::FromTime(now).PlusHours(DefaultHours);
    }
    const std::int32_t hours = record_.Prefs.SkeldEveryHours;
    return LocalDateTime::FromTime(lastSkeld).PlusHours(hours != 0 ? hours : DefaultHours);
}

std::int32_t SkeldTimer::SecondsTilSkeld() const {
    // Both ends are whole seconds, so the difference needs no rounding. Read the clock once
    // so that both ends see the same moment.
    const std::int64_t now = clock_.Now();
    const std::int64_t seconds = NextSkeldTime(now) - LocalDateTime::FromTime(now);
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(seconds, lowest, highest));
}
