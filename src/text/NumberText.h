#pragma once

#include <cstdint>
#include <string>

// Every number the program prints — in files, on the wire, in logs and to people — is written
// here: always with the "C" conventions (a decimal point, no grouping), whatever the process
// locale says, and always complete, whatever the value.
namespace NumberText {

// "%ld".
std::string Integer(std::int64_t value);

// "%.Nf" with N = `decimals` (0 to 17). Fits every double, the largest ones included.
std::string Fixed(double value, int decimals);

// "%g": six significant digits, trailing zeros dropped, exponent form when the decimal
// exponent is below -4 or at least 6.
std::string Short(double value);

}  // namespace NumberText
