#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A server named as "host[:port]", the way KESTROVIN_SERVER and the compiled-in address give it.
struct HostPort {
    std::string Host;  // without brackets, also for an IPv6 address
    std::uint16_t Port = 80;
    bool operator==(const HostPort&) const = default;

    // Reads "host[:port]": a host name or IPv4 address (letters, digits, ".", "-", "_") or an
    // IPv6 address in brackets, then optionally ":" and a decimal port from 1 to 65535. A
    // missing port is HTTP's 80. Anything else (blanks, a scheme, a path, user information, an
    // empty host or port) gives nothing.
    static std::optional<HostPort> Parse(std::string_view text);
};
