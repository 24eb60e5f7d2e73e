#include "NumberText.h"

#include <charconv>
#include <system_error>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::int64_t> NumberText::ParseInteger(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    std::string_view digits = negative ? text.substr(1) : text;
    // Eighteen digits always fit a signed 64-bit value.
    if (digits.empty() || digits.size() > 18) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : digits) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::optional<double> NumberText::ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    std::size_t wholeDigits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++wholeDigits;
    }
    std::size_t fractionDigits = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++fractionDigits;
        }
    }
    if (i != text.size() || wholeDigits == 0 || wholeDigits > 15 || fractionDigits > 15) {
        return std::nullopt;
    }
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return value;
}

std::string NumberText::Grouped(std::int64_t value) {
    std::string digits = std::to_string(value < 0 ? -(value + 1) + 1ULL : value + 0ULL);
    std::string result;
    const std::size_t first = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    result.append(digits, 0, first);
    for (std::size_t i = first; i < digits.size(); i += 3) {
        result += ',';
        result.append(digits, i, 3);
    }
    return value < 0 ? "-" + result : result;
}

std::string NumberText::Miles(double miles) {
    // to_chars ignores the locale, so the separator is always a point.
    char text[400];
    const auto end = std::to_chars(text, text + sizeof text, miles, std::chars_format::fixed, 3);
    if (end.ec != std::errc()) {
        return "0.000";
    }
    return std::string(text, end.ptr);
}
