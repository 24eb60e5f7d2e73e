#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

extern char** environ;

// A home of its own for a desktop program that a test or benchmark starts: "home", "config",
// "data" and "runtime" folders under one root, and an environment in which nothing leads the
// program to the real desktop, home, session bus or statistics server.
namespace PrivateDesktopHome {

// False when a folder could not be made.
inline bool Create(const std::filesystem::path& root) {
    std::error_code error;
    for (const char* folder : {"home", "config", "data", "runtime"}) {
        std::filesystem::create_directories(root / folder, error);
        if (error) {
            return false;
        }
    }
    // Qt and the single-instance lock insist on a private runtime folder.
    return ::chmod((root / "runtime").c_str(), 0700) == 0;
}

// The current environment without anything of the user's desktop, home or server (and without
// sanitizer options, which the caller sets for its own children where it needs them).
inline std::vector<std::string> WithoutDesktop() {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (name == "HOME" || name.starts_with("XDG_") || name == "DISPLAY" ||
            name == "WAYLAND_DISPLAY" || name == "DBUS_SESSION_BUS_ADDRESS" ||
            name == "DBUS_SYSTEM_BUS_ADDRESS" || name == "SESSION_MANAGER" ||
            name.starts_with("QT_") || name == "KESTROVIN_SERVER" || name == "LSAN_OPTIONS") {
            continue;
        }
        result.push_back(variable);
    }
    return result;
}

// The environment of a program living in `root` on `display`, talking to `serverAddress`
// (none when empty).
inline std::vector<std::string> Environment(const std::filesystem::path& root,
                                            const std::string& display,
                                            const std::string& serverAddress) {
    std::vector<std::string> result = WithoutDesktop();
    result.push_back("HOME=" + (root / "home").string());
    result.push_back("XDG_CONFIG_HOME=" + (root / "config").string());
    result.push_back("XDG_DATA_HOME=" + (root / "data").string());
    result.push_back("XDG_RUNTIME_DIR=" + (root / "runtime").string());
    result.push_back("DISPLAY=" + display);
    // Without a session bus Qt docks its icon in the XEmbed tray, the one trayer offers. A bus
    // address that leads nowhere, rather than none: with no address at all, D-Bus may start a
    // bus of its own for the display (dbus-launch) that outlives the test.
    result.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" +
                     (root / "runtime" / "no-bus").string());
    // Nor the machine's system bus: the lock state of the real login session is not the test's.
    result.push_back("DBUS_SYSTEM_BUS_ADDRESS=unix:path=" +
                     (root / "runtime" / "no-system-bus").string());
    result.push_back("QT_QPA_PLATFORM=xcb");
    if (!serverAddress.empty()) {
        result.push_back("KESTROVIN_SERVER=" + serverAddress);
    }
    return result;
}

}  // namespace PrivateDesktopHome
