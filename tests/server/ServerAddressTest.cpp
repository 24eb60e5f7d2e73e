#include "server/ServerAddress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files/FileIo.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

using HostPort = ServerAddress::HostPort;

TEST(ServerAddressTest, ParsesHostAndOptionalPort) {
    struct Case {
        std::string text;
        std::optional<HostPort> expected;
    };
    const std::vector<Case> cases = {
        {"stats.example.org", HostPort{"stats.example.org", 80}},
        {"stats.example.org:8080", HostPort{"stats.example.org", 8080}},
        {"127.0.0.1:1", HostPort{"127.0.0.1", 1}},
        {"my_host-2:65535", HostPort{"my_host-2", 65535}},
        {"localhost:0080", HostPort{"localhost", 80}},
        {"[::1]", HostPort{"::1", 80}},
        {"[::1]:8080", HostPort{"::1", 8080}},
        {"", std::nullopt},
        {":8080", std::nullopt},
        {"host:", std::nullopt},
        {"host:0", std::nullopt},
        {"host:65536", std::nullopt},
        {"host:123456", std::nullopt},
        {"host:-1", std::nullopt},
        {"host:+80", std::nullopt},
        {"host:80a", std::nullopt},
        {"host:80:81", std::nullopt},
        {"http://host", std::nullopt},
        {"host/path", std::nullopt},
        {"user@host", std::nullopt},
        {" host", std::nullopt},
        {"host ", std::nullopt},
        {"::1", std::nullopt},
        {"[::1", std::nullopt},
        {"[]:80", std::nullopt},
        {"[host]", std::nullopt},
        {"[::1]8080", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(ServerAddress::ParseHostPort(c.text), c.expected);
    }
}

TEST(ServerAddressTest, TheEnvironmentMovesTheServerOnlyWithAValidValue) {
    const ServerAddress compiledIn = ServerAddress::CompiledIn();

    const ServerAddress moved = ServerAddress::WithOverride("127.0.0.1:5123");
    EXPECT_EQ(moved.Host(), "127.0.0.1");
    EXPECT_EQ(moved.Port(), 5123);
    EXPECT_EQ(moved.PostUrl(), "http://127.0.0.1:5123/server.php");

    for (const char* ignored : {static_cast<const char*>(nullptr), "", "host:0", "a b"}) {
        SCOPED_TRACE(ignored != nullptr ? ignored : "(not set)");
        const ServerAddress address = ServerAddress::WithOverride(ignored);
        EXPECT_EQ(address.Host(), compiledIn.Host());
        EXPECT_EQ(address.Port(), compiledIn.Port());
    }

    ScopedEnvironment environment;
    environment.Set("KESTROVIN_SERVER", "[::1]:9000");
    EXPECT_EQ(ServerAddress::FromEnvironment().PostUrl(), "http://[::1]:9000/server.php");
}

// Without KESTROVIN_SERVER the local server scripts/run set up is found from any terminal.
TEST(ServerAddressTest, WithoutTheVariableTheLocalServerSetUpIsUsed) {
    TempFolder config;
    const ServerAddress compiledIn = ServerAddress::CompiledIn();
    EXPECT_EQ(ServerAddress::Resolve(nullptr, config.Path()).Port(), compiledIn.Port());

    std::filesystem::create_directories(config / "Kestrovin");
    const struct {
        std::string text;
        std::optional<HostPort> found;
    } cases[] = {
        {"address=127.0.0.1:24680\n", HostPort{"127.0.0.1", 24680}},
        {"# set up by scripts/run\naddress=[::1]:9000", HostPort{"::1", 9000}},
        {"address=127.0.0.1:0\n", std::nullopt},
        {"port=24680\n", std::nullopt},
        {std::string(5000, 'x') + "\naddress=127.0.0.1:1\n", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        ASSERT_TRUE(WriteFileAtomically(config / "Kestrovin" / "local-server.conf", c.text, 0600));
        const ServerAddress address = ServerAddress::Resolve(nullptr, config.Path());
        EXPECT_EQ(address.Port(), c.found ? c.found->Port : compiledIn.Port());
        EXPECT_EQ(address.Host(), c.found ? c.found->Host : compiledIn.Host());
    }
    // The variable still wins.
    EXPECT_EQ(ServerAddress::Resolve("10.0.0.1:81", config.Path()).Port(), 81);
    EXPECT_EQ(ServerAddress::Resolve("bad value", config.Path()).Port(), compiledIn.Port());
}

TEST(ServerAddressTest, BuildsTheUrlsOfTheServerAndTheWebSite) {
    const ServerAddress standardPort({"stats.example.org", 80});
    EXPECT_EQ(standardPort.PostUrl(), "http://stats.example.org/server.php");
    EXPECT_EQ(standardPort.WebPageUrl("/stats/users/42/"),
              "http://stats.example.org/stats/users/42/");
    EXPECT_EQ(standardPort.WebPageUrl("wiki/"), "http://stats.example.org/wiki/");

    const ServerAddress otherPort({"127.0.0.1", 8080});
    EXPECT_EQ(otherPort.PostUrl(), "http://127.0.0.1:8080/server.php");
    EXPECT_EQ(otherPort.WebPageUrl("/dynimg/"), "http://127.0.0.1:8080/dynimg/");

    const ServerAddress ownSite({"127.0.0.1", 8080}, "https://www.example.org/");
    EXPECT_EQ(ownSite.PostUrl(), "http://127.0.0.1:8080/server.php");
    EXPECT_EQ(ownSite.WebPageUrl("/downloads/"), "https://www.example.org/downloads/");
}

}  // namespace
