#include "app/TooltipText.h"

#include "counting/AppRecord.h"
#include "counting/DistanceUnit.h"
#include "text/FormatCount.h"
#include "text/NumberText.h"

std::string TooltipText(const AppRecord& record) {
    const AccountState& account = record.Account;
    const std::int32_t keys = account.GetUnsentKeys();
    const std::int32_t clicks = account.GetUnsentClicks();
    const std::int32_t unit = record.Prefs.DistanceType;
    return std::string("Kestrovin \n Key") + (keys == 1 ? "" : "s") + ": " + FormatCount(keys) +
           "\n Click" + (clicks == 1 ? "" : "s") + ": " + FormatCount(clicks) + "\n " +
           DistanceUnitName(unit) + ": " +
           NumberText::Fixed(DistanceInUnit(account.UnsentMetres, unit, false), 2) + " ";
}
