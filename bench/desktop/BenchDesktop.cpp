#include "desktop/BenchDesktop.h"

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "desktop/Interruption.h"
#include "support/ChildProcess.h"
#include "support/ListeningAddress.h"

extern char** environ;

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
    for (const char* folder : {"home", "config", "data", "runtime"}) {
        std::filesystem::create_directories(home / folder);
    }
    // Qt and the single-instance lock insist on a private runtime folder.
    ::chmod((home / "runtime").c_str(), 0700);
    return home;
}

std::vector<std::string> BenchDesktop::Environment(const std::filesystem::path& home) const {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (name == "HOME" || name.starts_with("XDG_") || name == "DISPLAY" ||
            name == "WAYLAND_DISPLAY" || name == "DBUS_SESSION_BUS_ADDRESS" ||
            name == "SESSION_MANAGER" || name.starts_with("QT_") || name == "KESTROVIN_SERVER") {
            continue;
        }
        result.push_back(variable);
    }
    result.push_back("HOME=" + (home / "home").string());
    result.push_back("XDG_CONFIG_HOME=" + (home / "config").string());
    result.push_back("XDG_DATA_HOME=" + (home / "data").string());
    result.push_back("XDG_RUNTIME_DIR=" + (home / "runtime").string());
    result.push_back("DISPLAY=" + DisplayName());
    // Without a session bus Qt docks its icon in the XEmbed tray, the one trayer offers.
    result.push_back("QT_QPA_PLATFORM=xcb");
    if (!serverAddress_.empty()) {
        result.push_back("KESTROVIN_SERVER=" + serverAddress_);
    }
    return result;
}
