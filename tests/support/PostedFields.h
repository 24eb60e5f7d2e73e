#pragma once

#include <string>
#include <utility>
#include <vector>

#include "counting/QuickCrypt.h"

using PostedField = std::pair<std::string, std::string>;
using PostedFieldList = std::vector<PostedField>;

// A posted form as the server reads it: fields between "&", name and value around "=", each
// decoded.
inline PostedFieldList PostedFields(const std::string& body) {
    PostedFieldList fields;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string::npos) {
            end = body.size();
        }
        const std::string field = body.substr(start, end - start);
        const std::size_t equals = field.find('=');
        std::string name;
        std::string value;
        CQuickCrypt::DecodeInto(field.substr(0, equals), name);
        if (equals != std::string::npos) {
            CQuickCrypt::DecodeInto(field.substr(equals + 1), value);
        }
        fields.emplace_back(std::move(name), std::move(value));
        start = end + 1;
    }
    return fields;
}

// The value of a posted field, or "" when it is missing.
inline std::string PostedValue(const PostedFieldList& fields, const std::string& name) {
    for (const auto& [fieldName, value] : fields) {
        if (fieldName == name) {
            return value;
        }
    }
    return "";
}
