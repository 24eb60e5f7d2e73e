#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The fields of one request with their names and values in clear, in the order they came.
class DecodedForm {
public:
    using Field = std::pair<std::string, std::string>;

    explicit DecodedForm(std::vector<Field> fields) : fields_(std::move(fields)) {}

    const std::vector<Field>& Fields() const { return fields_; }
    // The value of the field with this name, or nothing when the request lacks it.
    std::optional<std::string> Find(std::string_view name) const;

    // The address of the client that sent it, as the HTTP server reports it.
    const std::string& ClientAddress() const { return clientAddress_; }
    void SetClientAddress(std::string address) { clientAddress_ = std::move(address); }

private:
    std::vector<Field> fields_;
    std::string clientAddress_;
};
