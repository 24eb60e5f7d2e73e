#include "shell/SkeldNowLabel.h"

#include <cstdio>

std::string SkeldNowLabel(std::int32_t skeldEveryHours, std::int32_t secondsTilSkeld) {
    const std::int32_t s = secondsTilSkeld;
    char text[64];
    if (skeldEveryHours == 0 || s <= 0) {
        return "Skeld Now!";
    } else if (s > 3600) {
        std::snprintf(text, sizeof text, "Skeld Now!  (Auto in %.0f Hours)", s / 3600.0);
    } else if (s >= 60) {
        std::snprintf(text, sizeof text, "Skeld Now!  (Auto in %.0f Minutes)", s / 60.0);
    } else {
        std::snprintf(text, sizeof text, "Skeld Now!  (Auto in %d Seconds)", s);
    }
    return text;
}
