#include "shell/FormatCount.h"

#include <cstdio>

std::string FormatCount(std::int32_t count) {
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "%ld", static_cast<long>(count));
    // Group the digits only, so a negative count reads "-1,234" rather than "-,123,4".
    const int sign = digits[0] == '-' ? 1 : 0;
    const int digitCount = length - sign;
    std::string text(digits, static_cast<std::size_t>(sign));
    const int firstGroup = digitCount % 3 == 0 ? 3 : digitCount % 3;
    for (int i = 0; i < digitCount; ++i) {
        if (i != 0 && (i - firstGroup) % 3 == 0) {
            text.push_back(',');
        }
        text.push_back(digits[sign + i]);
    }
    return text;
}
