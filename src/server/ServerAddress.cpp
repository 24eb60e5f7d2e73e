#include "server/ServerAddress.h"

#include <cstdlib>
#include <utility>

#include "server/DeploymentValues.h"

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
