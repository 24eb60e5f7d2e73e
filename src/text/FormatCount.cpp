#include "text/FormatCount.h"

#include "text/NumberText.h"

std::string FormatCount(std::int32_t count) {
    const std::string digits = NumberText::Integer(count);
    // Group the digits only, so a negative count reads "-1,234" rather than "-,123,4".
    const int sign = digits[0] == '-' ? 1 : 0;
    const int digitCount = static_cast<int>(digits.size()) - sign;
    std::string text = digits.substr(0, static_cast<std::size_t>(sign));
    const int firstGroup = digitCount % 3 == 0 ? 3 : digitCount % 3;
    for (int i = 0; i < digitCount; ++i) {
        if (i != 0 && (i - firstGroup) % 3 == 0) {
            text.push_back(',');
        }
        text.push_back(digits[static_cast<std::size_t>(sign + i)]);
    }
    return text;
}
