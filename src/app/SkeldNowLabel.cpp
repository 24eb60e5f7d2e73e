#include "app/SkeldNowLabel.h"

#include "text/NumberText.h"

std::string SkeldNowLabel(std::int32_t skeldEveryHours, std::int32_t secondsTilSkeld) {
    const std::int32_t s = secondsTilSkeld;
    const std::string prefix = "Skeld Now!  (Auto in ";
    if (skeldEveryHours == 0 || s <= 0) {
        return "Skeld Now!";
    } else if (s > 3600) {
        return prefix + NumberText::Fixed(s / 3600.0, 0) + " Hours)";
    } else if (s >= 60) {
        return prefix + NumberText::Fixed(s / 60.0, 0) + " Minutes)";
    }
    return prefix + NumberText::Integer(s) + " Seconds)";
}
