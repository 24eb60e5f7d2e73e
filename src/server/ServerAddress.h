#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "text/HostPort.h"

// Where the statistics server and the web site are. Both are deployment values compiled in
// (CMake cache variables KESTROVIN_SERVER_HOST, KESTROVIN_SERVER_PORT, KESTROVIN_WEB_BASE).
// The statistics server can be moved at run time with the environment variable
// KESTROVIN_SERVER=host[:port], so that tests and a local demo can use a server on any port,
// or by the local server's set-up (see FromEnvironment).
// The web site's base is the compiled-in KESTROVIN_WEB_BASE, or, when that is empty, the
// statistics server's own origin (the reference server serves the pages too), override included.
class ServerAddress {
public:
    using HostPort = ::HostPort;

    // An empty web base means "the statistics server's own origin".
    ServerAddress(HostPort server, std::string webBase = "");

    // The compiled-in values.
    static ServerAddress CompiledIn();
    // The compiled-in values with KESTROVIN_SERVER applied when it is set and valid. Without
    // it, the local server scripts/run set up is used when there is one (its address in
    // $XDG_CONFIG_HOME/Kestrovin/local-server.conf), so that the program started by hand and
    // kestrovin-cli find it too. An empty or invalid value is ignored.
    static ServerAddress FromEnvironment();
    // The same with the variable's value (nullptr: not set) and the configuration folder given.
    static ServerAddress Resolve(const char* overrideValue,
                                 const std::filesystem::path& configHome);
    // The address in a local-server.conf file ("address=host:port"), when it holds a valid one.
    static std::optional<HostPort> LocalServer(const std::filesystem::path& file);
    // The same with the variable's value given; nullptr stands for "not set".
    static ServerAddress WithOverride(const char* overrideValue);

    // See HostPort::Parse.
    static std::optional<HostPort> ParseHostPort(std::string_view text) {
        return HostPort::Parse(text);
    }

    const std::string& Host() const { return server_.Host; }
    std::uint16_t Port() const { return server_.Port; }

    // "http://host" with ":port" unless the port is 80; IPv6 addresses in brackets.
    std::string Origin() const;
    // The one URL every request is posted to: the origin followed by "/server.php".
    std::string PostUrl() const;
    // A page of the web site: the web base followed by `path` ("/stats/users/42/").
    std::string WebPageUrl(std::string_view path) const;

private:
    HostPort server_;
    std::string webBase_;
};
