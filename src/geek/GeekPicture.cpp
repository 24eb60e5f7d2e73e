#include "geek/GeekPicture.h"

#include <cstdlib>

#include "counting/AccountState.h"
#include "counting/DistanceUnit.h"
#include "counting/Preferences.h"
#include "text/FormatCount.h"
#include "text/NumberText.h"

std::string GeekRankText(std::int32_t rank) {
    if (rank == 0) {
        return "n/a";
    }
    // The digits of the magnitude decide the suffix, so a negative rank still reads sensibly.
    const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(rank));
    const std::int64_t last = magnitude % 10;
    const bool teen = (magnitude / 10) % 10 == 1;
    const char* suffix = "th";
    if (!teen && last == 1) {
        suffix = "st";
    } else if (!teen && last == 2) {
        suffix = "nd";
    } else if (!teen && last == 3) {
        suffix = "rd";
    }
    return NumberText::Integer(rank) + suffix;
}

std::string NextSkeldText(std::int32_t seconds) {
    if (seconds > 3600) {
        return "Next skeld in " + NumberText::Fixed(seconds / 3600.0, 0) + " hours.";
    }
    if (seconds > 60) {
        return "Next skeld in " + NumberText::Fixed(seconds / 60.0, 0) + " minutes.";
    }
    return "Next skeld in " + NumberText::Integer(seconds) + " seconds.";
}

GeekPicture GeekPicture::Of(const AccountState& account, const Preferences& prefs,
                            bool showNextSkeld,
                            const std::function<std::int32_t()>& secondsTilSkeld) {
    GeekPicture picture;
    const double distance = DistanceInUnit(account.UnsentMetres, prefs.DistanceType, false);
    picture.Rows = {
        {"kc: ", FormatCount(account.GetUnsentKeys()), prefs.keycount_X, prefs.keycount_Y},
        {"mc: ", FormatCount(account.GetUnsentClicks()), prefs.mousecount_X, prefs.mousecount_Y},
        {"tkc: ", FormatCount(account.TotalKeys), prefs.totalkeys_X, prefs.totalkeys_Y},
        {"tmc: ", FormatCount(account.TotalClicks), prefs.totalmouse_X, prefs.totalmouse_Y},
        {"rank: ", GeekRankText(account.Rank), prefs.rank_X, prefs.rank_Y},
        {"klp: ", FormatCount(account.KeysLastSkeld), prefs.lastkeys_X, prefs.lastkeys_Y},
        {std::string(DistanceUnitName(prefs.DistanceType)) + " moved: ",
         NumberText::Fixed(distance, 2), prefs.meters_X, prefs.meters_Y},
    };
    if (prefs.SkeldEveryHours > 0 && showNextSkeld) {
        picture.NextSkeld =
            Line{NextSkeldText(secondsTilSkeld()), prefs.timenextskeld_X, prefs.timenextskeld_Y};
    }
    return picture;
}

std::vector<GeekPicture::PlacedText> GeekPicture::Place(
    const std::function<int(const std::string&)>& width) const {
    std::vector<PlacedText> texts;
    for (const Row& row : Rows) {
        texts.push_back({row.Label, row.X, row.Y, true});
        texts.push_back({row.Value, row.X + width(row.Label), row.Y, false});
    }
    if (NextSkeld) {
        texts.push_back({NextSkeld->Text, NextSkeld->X, NextSkeld->Y, false});
    }
    return texts;
}
