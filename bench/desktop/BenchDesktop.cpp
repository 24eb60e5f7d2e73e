#include "desktop/BenchDesktop.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "desktop/Interruption.h"
#include "support/ChildProcess.h"
#include "support/ListeningAddress.h"
#include "support/PrivateDesktopHome.h"

namespace {

using namespace std::chrono_literals;

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool PollUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end || !SleepFor(20ms)) {
            return false;
        }
    }
    return true;
}

}  // namespace

BenchDesktop::BenchDesktop() = default;

BenchDesktop::~BenchDesktop() {
    // The tray and the server before the X server, which goes with the members.
    trayer_.reset();
    server_.reset();
    buses_.clear();
}

bool BenchDesktop::Start(std::string& problem) {
    if (DisplayName().empty()) {
        problem = xvfb_.Problem();
        return false;
    }
    const std::vector<std::string> environment = Environment(MakeHome("desktop"));
    const std::filesystem::path serverOutput = folder_ / "server.out";
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{KESTROVIN_STATS_SERVER, "--port", "0", "--db",
                                 (folder_ / "stats.sqlite").string()},
        environment, serverOutput);
    std::optional<std::string> address;
    if (!PollUntil([&] { return (address = ListeningAddress(serverOutput)).has_value(); }, 10s)) {
        problem = "the statistics server did not start: " + ReadFile(serverOutput);
        return false;
    }
    serverAddress_ = *address;

    const std::filesystem::path trayerOutput = folder_ / "trayer.out";
    trayer_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype",
                                 "request", "--height", "24"},
        environment, trayerOutput);
    if (!PollUntil(
            [&] {
                return RunToEnd({"xdotool", "search", "--class", "trayer"}, environment).Status ==
                       0;
            },
            10s)) {
        problem =
            "trayer did not come up (scripts/install-deps installs it): " + ReadFile(trayerOutput);
        return false;
    }
    return true;
}

std::filesystem::path BenchDesktop::MakeHome(const std::string& name) const {
    const std::filesystem::path home = folder_ / name;
    // A home that could not be made shows as a program that does not start.
    PrivateDesktopHome::Create(home);
    return home;
}

std::vector<std::string> BenchDesktop::Environment(const std::filesystem::path& home) const {
    return PrivateDesktopHome::Environment(home, DisplayName(), serverAddress_);
}

bool BenchDesktop::StartSessionBus(const std::string& name, std::vector<std::string>& environment,
                                   std::string& problem) {
    const std::filesystem::path output = folder_ / (name + "-bus.out");
    buses_.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address"},
        environment, output));
    std::string address;
    if (!PollUntil(
            [&] {
                const std::string printed = ReadFile(output);
                address = printed.substr(0, printed.find('\n'));
                return printed.starts_with("unix:") && address.size() < printed.size();
            },
            10s)) {
        problem = "no session bus for " + name + ": " + ReadFile(output);
        return false;
    }
    std::erase_if(environment, [](const std::string& variable) {
        return variable.starts_with("DBUS_SESSION_BUS_ADDRESS=");
    });
    environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
    return true;
}
