#pragma once

#include <cstdint>

#include "app/LocalDateTime.h"

struct AppRecord;
class Clock;

// The hours-based schedule: when the next automatic skeld is due, from tLastSkeld and
// SkeldEveryHours. It keeps nothing of its own, so it always reflects the current record.
//
// The arithmetic is done in local wall-clock time, so a daylight-saving change between the
// last skeld and now moves the due moment by the size of the change.
class SkeldTimer {
public:
    // Hours between automatic skelds when none are set, and from program start when there
    // has never been a skeld.
    static constexpr std::int32_t DefaultHours = 12;

    SkeldTimer(const AppRecord& record, const Clock& clock);

    // The last skeld plus SkeldEveryHours (12 when that is 0); with no skeld yet, now plus
    // 12 hours, which therefore never falls due.
    LocalDateTime NextSkeldTime() const;
    // Wall-clock seconds from now to NextSkeldTime; negative when overdue.
    std::int32_t SecondsTilSkeld() const;
    bool IsDue() const { return SecondsTilSkeld() <= 0; }

private:
    LocalDateTime NextSkeldTime(std::int64_t now) const;

    const AppRecord& record_;
    const Clock& clock_;
};
