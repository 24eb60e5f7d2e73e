#include "text/NumberText.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

constexpr int MaxDecimals = 17;
// The largest double has 309 digits before the point; a sign, the point and the decimals
// follow. std::to_chars cannot run out of room in this.
constexpr std::size_t BufferSize =
    std::numeric_limits<double>::max_exponent10 + 1 + 2 + MaxDecimals;

template <typename Number>
std::string Format(Number value, auto... formatArguments) {
    char buffer[BufferSize];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, formatArguments...);
    return std::string(buffer, result.ptr);
}

}  // namespace

namespace NumberText {

std::string Integer(std::int64_t value) {
    return Format(value);
}

std::string Fixed(double value, int decimals) {
    return Format(value, std::chars_format::fixed, std::clamp(decimals, 0, MaxDecimals));
}

std::string Short(double value) {
    return Format(value, std::chars_format::general, 6);
}

}  // namespace NumberText
