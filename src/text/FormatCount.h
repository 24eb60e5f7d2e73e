#pragma once

#include <cstdint>
#include <string>

// A count as people read it: decimal with "," between groups of three digits
// (1234567 gives "1,234,567"; 999 stays "999"). Files and the wire use plain decimal.
std::string FormatCount(std::int32_t count);
