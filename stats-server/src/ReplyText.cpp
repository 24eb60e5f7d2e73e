#include "ReplyText.h"

#include <algorithm>
#include <limits>

ActionReply ReplyText::Status(std::string_view status) {
    return {200, std::string(status)};
}

ActionReply ReplyText::WithPayload(std::string_view status, std::string_view payload) {
    return {200, std::string(status) + " " + std::string(payload)};
}

ActionReply ReplyText::Message(std::string_view text) {
    return WithPayload("200 MSG", text);
}

ActionReply ReplyText::BadRequest(std::string_view reason) {
    return {400, "Bad request: " + std::string(reason) + "\n"};
}

ActionReply ReplyText::ServerError() {
    return {500, "The server could not answer this request; please try again later.\n"};
}

std::string ReplyText::Joined(const std::vector<std::string>& fields, char separator) {
    std::string joined;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            joined += separator;
        }
        joined += fields[i];
    }
    return joined;
}

std::string ReplyText::Count(std::int64_t value) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    return std::to_string(std::clamp(value, kMin, kMax));
}
