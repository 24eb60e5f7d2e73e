#include "text/HostPort.h"

namespace {

bool IsHostNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

bool IsIpv6Character(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
           c == '.';
}

template <typename Predicate>
bool AllOf(std::string_view text, Predicate predicate) {
    for (char c : text) {
        if (!predicate(c)) {
            return false;
        }
    }
    return true;
}

std::optional<std::uint16_t> ParsePort(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < 1 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<HostPort> HostPort::Parse(std::string_view text) {
    HostPort result;
    std::string_view rest;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view address = text.substr(1, close - 1);
        if (address.find(':') == std::string_view::npos || !AllOf(address, IsIpv6Character)) {
            return std::nullopt;
        }
        result.Host = address;
        rest = text.substr(close + 1);
    } else {
        const auto colon = text.find(':');
        const std::string_view host = text.substr(0, colon);
        if (host.empty() || !AllOf(host, IsHostNameCharacter)) {
            return std::nullopt;
        }
        result.Host = host;
        rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon);
    }
    if (rest.empty()) {
        return result;
    }
    if (rest.front() != ':') {
        return std::nullopt;
    }
    const auto port = ParsePort(rest.substr(1));
    if (!port) {
        return std::nullopt;
    }
    result.Port = *port;
    return result;
}
