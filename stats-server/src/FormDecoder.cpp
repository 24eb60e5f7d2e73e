#include "FormDecoder.h"

#include <set>
#include <vector>

#include "counting/QuickCrypt.h"

namespace {

bool IsLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A nibble character at byte position `position` is "a" + nibble + (position + 5) mod 10.
bool IsNibbleCharacter(char c, std::size_t position) {
    const int nibble = c - 'a' - static_cast<int>((position + 5) % 10);
    return nibble >= 0 && nibble <= 15;
}

std::string Decoded(std::string_view encoded) {
    std::string plain;
    CQuickCrypt::DecodeInto(encoded, plain);
    return plain;
}

}  // namespace

bool FormDecoder::IsWellFormedEncoding(std::string_view text) {
    if (text.size() % 3 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); i += 3) {
        const std::size_t position = i / 3;
        if (!IsNibbleCharacter(text[i], position) || !IsNibbleCharacter(text[i + 1], position) ||
            !IsLetterOrDigit(text[i + 2])) {
            return false;
        }
    }
    return true;
}

FormDecoder::Result FormDecoder::Decode(std::string_view body) {
    if (body.empty()) {
        return {std::nullopt, "empty request"};
    }
    std::vector<DecodedForm::Field> fields;
    std::set<std::string> names;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string_view::npos) {
            end = body.size();
        }
        const std::string_view field = body.substr(start, end - start);
        const std::size_t equals = field.find('=');
        if (equals == std::string_view::npos) {
            return {std::nullopt, "a field has no '='"};
        }
        const std::string_view name = field.substr(0, equals);
        const std::string_view value = field.substr(equals + 1);
        if (name.empty() || !IsWellFormedEncoding(name) || !IsWellFormedEncoding(value)) {
            return {std::nullopt, "a field is not encoded"};
        }
        std::string plainName = Decoded(name);
        if (!names.insert(plainName).second) {
            return {std::nullopt, "a field is repeated"};
        }
        fields.emplace_back(std::move(plainName), Decoded(value));
        start = end + 1;
    }
    if (fields.back().first != "client_version") {
        return {std::nullopt, "client_version is not the last field"};
    }
    return {DecodedForm(std::move(fields)), ""};
}
