#pragma once

#include <string>
#include <utility>
#include <vector>

#include "counting/QuickCrypt.h"

// The statistics server's side of the wire as the client speaks it, for the server's tests and
// its load generator.
using Fields = std::vector<std::pair<std::string, std::string>>;

// The form body the client sends: every name and value encoded, client_version last.
inline std::string EncodedBody(const Fields& fields, bool addClientVersion = true) {
    Fields all = fields;
    if (addClientVersion) {
        all.emplace_back("client_version", "1.7.1");
    }
    std::string body;
    std::string encoded;
    for (const auto& [name, value] : all) {
        body += body.empty() ? "" : "&";
        CQuickCrypt::EncodeInto(name, encoded);
        body += encoded + "=";
        CQuickCrypt::EncodeInto(value, encoded);
        body += encoded;
    }
    return body;
}

// The tab-separated fields of a reply's payload.
inline std::vector<std::string> TabFields(const std::string& payload) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = payload.find('\t', start);
        fields.push_back(payload.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}
