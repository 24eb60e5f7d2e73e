// Request bodies as any client on the network may send them to the reference server. The first
// input byte chooses: the rest as a raw body, or as clear "name=value" lines that are encoded
// the way the client encodes its forms. A body that decodes must decode again to the same
// fields once re-encoded, and every form the client can send must decode to what was sent.

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FormDecoder.h"
#include "FuzzCheck.h"
#include "counting/QuickCrypt.h"

namespace {

std::string Encoded(const std::vector<DecodedForm::Field>& fields) {
    std::string body;
    std::string encoded;
    for (const auto& [name, value] : fields) {
        if (!body.empty()) {
            body += '&';
        }
        CQuickCrypt::EncodeInto(name, encoded);
        body += encoded;
        body += '=';
        CQuickCrypt::EncodeInto(value, encoded);
        body += encoded;
    }
    return body;
}

// "name=value" lines; a line without "=" is a name with an empty value.
std::vector<DecodedForm::Field> ClearFields(std::string_view text) {
    std::vector<DecodedForm::Field> fields;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        const std::size_t equals = std::min(line.find('='), line.size());
        fields.emplace_back(std::string(line.substr(0, equals)),
                            std::string(line.substr(std::min(equals + 1, line.size()))));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 0) {
        const FormDecoder::Result result = FormDecoder::Decode(input);
        Check(result.form.has_value() == result.error.empty());
        if (result.form) {
            const FormDecoder::Result again = FormDecoder::Decode(Encoded(result.form->Fields()));
            Check(again.form && again.form->Fields() == result.form->Fields());
        }
        return 0;
    }
    std::vector<DecodedForm::Field> fields = ClearFields(input);
    fields.emplace_back("client_version", "1.7.1");
    std::set<std::string> names;
    bool sendable = true;
    for (const auto& field : fields) {
        sendable = sendable && !field.first.empty() && names.insert(field.first).second;
    }
    const FormDecoder::Result result = FormDecoder::Decode(Encoded(fields));
    Check(result.form.has_value() == sendable);
    if (result.form) {
        Check(result.form->Fields() == fields);
        for (const auto& [name, value] : fields) {
            Check(result.form->Find(name) == value);
        }
    }
    return 0;
}
