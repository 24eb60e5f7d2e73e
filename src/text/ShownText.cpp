#include "text/ShownText.h"

namespace {

bool StartsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The length in bytes of the first `limit` characters.
std::size_t BytesOf(std::string_view text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (StartsCharacter(text[at]) && characters++ == limit) {
            return at;
        }
    }
    return text.size();
}

}  // namespace

std::string ShownText::Left(std::string_view text, std::size_t limit) {
    return std::string(text.substr(0, BytesOf(text, limit)));
}

std::string ShownText::Message(std::string_view text) {
    std::string_view shown = text;
    std::size_t lineEnd = std::string_view::npos;
    for (std::size_t lines = 0; lines < kMessageLineLimit; ++lines) {
        lineEnd = text.find('\n', lineEnd + 1);
        if (lineEnd == std::string_view::npos) {
            break;
        }
    }
    // A line end that closes the last line starts no line of its own.
    if (lineEnd != std::string_view::npos && lineEnd + 1 < text.size()) {
        shown = text.substr(0, lineEnd);
    }
    shown = shown.substr(0, BytesOf(shown, kMessageLimit));
    if (shown.size() == text.size()) {
        return std::string(text);
    }
    return std::string(shown) + std::string(kCutMark);
}
