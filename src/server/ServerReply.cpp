#include "server/ServerReply.h"

#include <charconv>
#include <limits>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool HasControlCharacter(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

// Skips the leading blanks and one sign; true for a minus.
bool TakeSign(std::string_view& text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    text.remove_prefix(at);
    return negative;
}

}  // namespace

bool ServerReply::HasStatus(std::string_view reply, std::string_view status) {
    return reply.starts_with(status);
}

std::string ServerReply::WithoutEvery(std::string_view text, std::string_view part) {
    if (part.empty()) {
        return std::string(text);
    }
    std::string result;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(part, start)) != std::string_view::npos;
         start = at + part.size()) {
        result.append(text, start, at - start);
    }
    result.append(text.substr(start));
    return result;
}

std::vector<std::string> ServerReply::Fields(std::string_view text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string_view::npos;
         start = at + 1) {
        fields.emplace_back(text.substr(start, at - start));
    }
    fields.emplace_back(text.substr(start));
    return fields;
}

std::int32_t ServerReply::LenientInteger(std::string_view text) {
    const bool negative = TakeSign(text);
    std::int64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) {
            break;
        }
        // Past the 32-bit range the value only needs to stay past it.
        if (value <= std::numeric_limits<std::int32_t>::max()) {
            value = value * 10 + (c - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

double ServerReply::LenientDecimal(std::string_view text) {
    const bool negative = TakeSign(text);
    // Decimal digits only: no "inf", "nan" or hexadecimal forms.
    const bool startsNumber =
        !text.empty() &&
        (IsDigit(text[0]) || (text[0] == '.' && text.size() > 1 && IsDigit(text[1])));
    if (!startsNumber) {
        return 0;
    }
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc()) {
        return 0;
    }
    return negative ? -value : value;
}

std::int32_t ServerReply::LenientCount(std::string_view text) {
    const std::int32_t value = LenientInteger(text);
    return value < 0 ? 0 : value;
}

bool ServerReply::UsableToken(std::string_view token) {
    return !token.empty() && token.size() <= kMaxTokenLength && !HasControlCharacter(token);
}

bool ServerReply::PlainPathSegment(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && !HasControlCharacter(name);
}
