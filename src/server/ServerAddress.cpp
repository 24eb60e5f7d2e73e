#include "server/ServerAddress.h"

#include <cstdlib>
#include <utility>

#include "server/DeploymentValues.h"

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

ServerAddress::ServerAddress(HostPort server, std::string webBase)
    : server_(std::move(server)), webBase_(std::move(webBase)) {
    while (!webBase_.empty() && webBase_.back() == '/') {
        webBase_.pop_back();
    }
}

ServerAddress ServerAddress::CompiledIn() {
    // CMake has checked these already; parsing them again only takes the IPv6 brackets off.
    HostPort server{kCompiledServerHost, static_cast<std::uint16_t>(kCompiledServerPort)};
    if (auto parsed = ParseHostPort(kCompiledServerHost)) {
        server.Host = parsed->Host;
    }
    return ServerAddress(server, kCompiledWebBase);
}

ServerAddress ServerAddress::FromEnvironment() {
    return WithOverride(std::getenv("KESTROVIN_SERVER"));
}

ServerAddress ServerAddress::WithOverride(const char* overrideValue) {
    ServerAddress address = CompiledIn();
    if (overrideValue != nullptr) {
        if (auto parsed = ParseHostPort(overrideValue)) {
            address.server_ = *parsed;
        }
    }
    return address;
}

std::optional<ServerAddress::HostPort> ServerAddress::ParseHostPort(std::string_view text) {
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

std::string ServerAddress::Origin() const {
    const bool ipv6 = server_.Host.find(':') != std::string::npos;
    std::string origin = "http://";
    origin += ipv6 ? "[" + server_.Host + "]" : server_.Host;
    if (server_.Port != 80) {
        origin += ":" + std::to_string(server_.Port);
    }
    return origin;
}

std::string ServerAddress::PostUrl() const {
    return Origin() + "/server.php";
}

std::string ServerAddress::WebPageUrl(std::string_view path) const {
    std::string url = webBase_.empty() ? Origin() : webBase_;
    if (path.empty() || path.front() != '/') {
        url += '/';
    }
    url += path;
    return url;
}
