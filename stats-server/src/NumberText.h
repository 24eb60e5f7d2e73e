#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Strict reading of the numbers that arrive in request fields, and the printing of numbers
// for replies and pages.
class NumberText {
public:
    // An optional "-" and 1 to 18 decimal digits, nothing else.
    static std::optional<std::int64_t> ParseInteger(std::string_view text);
    // An optional "-", digits, optionally "." and digits; no exponent, no blanks.
    static std::optional<double> ParseDecimal(std::string_view text);

    // 1234567 gives "1,234,567".
    static std::string Grouped(std::int64_t value);
    // Three decimals with a point: the layout of mile figures.
    static std::string Miles(double miles);
};
