#include "persistence/SettingsNumbers.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace {

// The blanks the C library skips before a number.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view text, std::size_t position) {
    while (position < text.size() && IsBlank(text[position])) {
        ++position;
    }
    return position;
}

std::size_t SkipDigits(std::string_view text, std::size_t position) {
    while (position < text.size() && IsDigit(text[position])) {
        ++position;
    }
    return position;
}

// Roughly where the first significant digit of a well-formed decimal number sits: above 0
// for magnitudes of at least 1. Only the sign matters, to tell overflow from underflow.
long long DecimalExponent(std::string_view number) {
    const std::size_t exponentAt = std::min(number.find_first_of("eE"), number.size());
    const std::string_view mantissa = number.substr(0, exponentAt);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t firstNonZero = mantissa.find_first_of("123456789");
    if (firstNonZero == std::string_view::npos) {
        return 0;
    }
    long long scale = firstNonZero < point ? static_cast<long long>(point - firstNonZero)
                                           : -static_cast<long long>(firstNonZero - point - 1);
    if (exponentAt < number.size()) {
        std::size_t position = exponentAt + 1;
        const bool negative = number[position] == '-';
        if (number[position] == '+' || negative) {
            ++position;
        }
        long long exponent = 0;
        for (; position < number.size(); ++position) {
            exponent = std::min(exponent * 10 + (number[position] - '0'), 1'000'000'000LL);
        }
        scale += negative ? -exponent : exponent;
    }
    return scale;
}

template <typename Number>
std::string Format(Number value, auto... formatArguments) {
    // Room for the longest: the largest double in fixed notation has 309 digits before the point.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, formatArguments...);
    return std::string(buffer, result.ptr);
}

}  // namespace

namespace SettingsNumbers {

std::int32_t LeadingInt(std::string_view text) {
    std::size_t position = SkipBlanks(text, 0);
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    constexpr std::int64_t Limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; position < text.size() && IsDigit(text[position]); ++position) {
        magnitude = std::min(magnitude * 10 + (text[position] - '0'), Limit);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

double LeadingReal(std::string_view text) {
    const std::size_t start = SkipBlanks(text, 0);
    std::size_t position = start;
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    const std::size_t mantissa = position;
    position = SkipDigits(text, position);
    std::size_t digits = position - mantissa;
    if (position < text.size() && text[position] == '.') {
        const std::size_t fraction = position + 1;
        position = SkipDigits(text, fraction);
        digits += position - fraction;
    }
    if (digits == 0) {
        return 0.0;
    }
    // An exponent counts only when at least one digit follows the "e" and its sign.
    if (position < text.size() && (text[position] == 'e' || text[position] == 'E')) {
        std::size_t exponent = position + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        if (const std::size_t end = SkipDigits(text, exponent); end > exponent) {
            position = end;
        }
    }

    const std::string_view number = text.substr(mantissa, position - mantissa);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = DecimalExponent(number) > 0 ? std::numeric_limits<double>::max() : 0.0;
    }
    return negative ? -value : value;
}

std::string FormatInt(std::int32_t value) {
    return Format(value);
}

std::string FormatRealShort(double value) {
    return Format(value, std::chars_format::general, 6);
}

std::string FormatRealTwoDecimals(double value) {
    return Format(value, std::chars_format::fixed, 2);
}

}  // namespace SettingsNumbers
