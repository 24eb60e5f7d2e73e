#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ActionContext.h"

// Building blocks of the replies: a status text alone, a status text with its payload, a
// refused request, and the numbers as the client reads them.
class ReplyText {
public:
    static ActionReply Status(std::string_view status);
    static ActionReply WithPayload(std::string_view status, std::string_view payload);
    // A message the client shows as "Server message: ...".
    static ActionReply Message(std::string_view text);
    // A request the server cannot read at all: HTTP 400 with the reason.
    static ActionReply BadRequest(std::string_view reason);
    static ActionReply ServerError();

    // The fields with the separator between them.
    static std::string Joined(const std::vector<std::string>& fields, char separator = '\t');

    // The client keeps counts in 32 bits: larger totals are sent as the largest it can hold.
    static std::string Count(std::int64_t value);
};
