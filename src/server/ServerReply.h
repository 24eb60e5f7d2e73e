#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reading the server's replies: a status text at the start, then a payload of fields. Replies
// are taken as they come, never trimmed, so a line break after the last field belongs to it.
class ServerReply {
public:
    // True when the reply's first characters are the status text.
    static bool HasStatus(std::string_view reply, std::string_view status);
    // The text with every occurrence of `part` taken out, in one pass from the left.
    static std::string WithoutEvery(std::string_view text, std::string_view part);
    // The text cut at every separator; empty fields count, so n separators give n + 1 fields.
    static std::vector<std::string> Fields(std::string_view text, char separator);

    // Lenient numbers: leading blanks skipped, an optional sign and the longest number read,
    // the rest ignored; no number reads as 0. Integers beyond 32 bits stop at the limit.
    static std::int32_t LenientInteger(std::string_view text);
    static double LenientDecimal(std::string_view text);
    // A total or rank: read leniently, a negative one reads as 0.
    static std::int32_t LenientCount(std::string_view text);

    // Longer than any token a server hands out; what it sends is stored and sent back.
    static constexpr std::size_t kMaxTokenLength = 255;
    // A token that can be stored and sent back: not empty, at most kMaxTokenLength bytes, no
    // control characters (a line break picked up from the reply's end included).
    static bool UsableToken(std::string_view token);
    // A name that is one plain segment of a web address: not empty, not "." or "..", without
    // "/" or control characters.
    static bool PlainPathSegment(std::string_view name);
};
