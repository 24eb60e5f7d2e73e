#pragma once

#include <cstdint>
#include <optional>

class QLineEdit;
class QString;
class UserPort;

// The skin's number fields: digits only, read back as a signed 32-bit number.
namespace SkinNumberField {

QLineEdit* Make(std::int32_t value);

// The field's number; when it is empty or too large, says so and gives nothing.
std::optional<std::int32_t> Read(QLineEdit& field, UserPort& user);

constexpr const char* InvalidMessage = "Please enter a whole number from 0 to 2147483647.";

}  // namespace SkinNumberField
