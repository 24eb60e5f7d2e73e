#include "server/ServerAddress.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "files/FileIo.h"
#include "platform/linux/UserFolders.h"
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
    return Resolve(std::getenv("KESTROVIN_SERVER"), UserFolders::ConfigHome());
}

ServerAddress ServerAddress::Resolve(const char* overrideValue,
                                     const std::filesystem::path& configHome) {
    if (overrideValue != nullptr && ParseHostPort(overrideValue)) {
        return WithOverride(overrideValue);
    }
    ServerAddress address = CompiledIn();
    if (auto local = LocalServer(configHome / "Kestrovin" / "local-server.conf")) {
        address.server_ = *local;
    }
    return address;
}

std::optional<HostPort> ServerAddress::LocalServer(const std::filesystem::path& file) {
    constexpr std::string_view kKey = "address=";
    // A few lines at most; anything longer is not the set-up's file.
    const auto text = ReadWholeFile(file);
    if (!text || text->size() > 4096) {
        return std::nullopt;
    }
    std::size_t start = 0;
    while (start < text->size()) {
        const std::size_t end = std::min(text->find('\n', start), text->size());
        const std::string_view line(text->data() + start, end - start);
        if (line.starts_with(kKey)) {
            return ParseHostPort(line.substr(kKey.size()));
        }
        start = end + 1;
    }
    return std::nullopt;
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
