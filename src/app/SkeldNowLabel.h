#pragma once

#include <cstdint>
#include <string>

// The text of the tray menu's "Skeld Now" item: "Skeld Now!" followed, when skelds by the hour
// are on, by the time left, for example "Skeld Now!  (Auto in 3 Hours)". Hours above 3600
// seconds, minutes from 60 to 3600 seconds, seconds from 1 to 59; with no time left (0 or
// overdue) the plain "Skeld Now!".
std::string SkeldNowLabel(std::int32_t skeldEveryHours, std::int32_t secondsTilSkeld);
