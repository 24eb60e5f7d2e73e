#pragma once

#include <cstdint>
#include <string_view>

// Numbers as the settings stores hold them in text, read with the "C" conventions (decimal
// point, no grouping), whatever the process locale says. They are written by NumberText.
namespace SettingsNumbers {

// The leading decimal integer: leading blanks, at most one sign, then digits up to the first
// other character. 0 when there are no digits; clamped to the 32-bit range.
std::int32_t LeadingInt(std::string_view text);

// The longest leading decimal floating-point number (blanks, sign, digits, point, exponent);
// no hexadecimal, infinity or NaN forms. 0 when there is none; clamped to the finite range.
double LeadingReal(std::string_view text);

}  // namespace SettingsNumbers
