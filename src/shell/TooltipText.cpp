#include "shell/TooltipText.h"

#include <cstdio>

#include "counting/DistanceUnit.h"
#include "persistence/AppRecord.h"
#include "shell/FormatCount.h"

std::string TooltipText(const AppRecord& record) {
    const AccountState& account = record.Account;
    const std::int32_t keys = account.GetUnsentKeys();
    const std::int32_t clicks = account.GetUnsentClicks();
    const std::int32_t unit = record.Prefs.DistanceType;
    char text[256];
    std::snprintf(text, sizeof text, "Kestrovin \n Key%s: %s\n Click%s: %s\n %s: %.2f %s",
                  keys == 1 ? "" : "s", FormatCount(keys).c_str(), clicks == 1 ? "" : "s",
                  FormatCount(clicks).c_str(), DistanceUnitName(unit),
                  DistanceInUnit(account.UnsentMetres, unit, false), "");
    return text;
}
