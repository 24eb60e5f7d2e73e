#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "ports/AutostartPort.h"

// The XDG autostart entry: a desktop entry in $XDG_CONFIG_HOME/autostart that the desktop
// session runs at log-in.
class XdgAutostart final : public AutostartPort {
public:
    // `configHome`: the user's configuration folder (empty when unknown); `executable`: the full
    // path the entry starts (empty when unknown); `server`: a statistics server "host[:port]"
    // the program is started with (KESTROVIN_SERVER), empty for the compiled-in one.
    XdgAutostart(std::filesystem::path configHome, std::filesystem::path executable,
                 std::string server = "");

    // $XDG_CONFIG_HOME (or ~/.config), the running executable (/proc/self/exe) and the server
    // of this run (ServerFromEnvironment).
    static XdgAutostart FromEnvironment();
    // KESTROVIN_SERVER when it names a valid server, otherwise empty: a program started with
    // its own server is started with it at the next log-in too.
    static std::string ServerFromEnvironment();

    // configHome + "/autostart/Kestrovin.desktop".
    std::filesystem::path EntryPath() const;

    bool WriteEntry() override;
    void RemoveEntry() override;

    // The Exec value that runs `executable` with no arguments (through env with
    // KESTROVIN_SERVER set when `server` is not empty), quoted and escaped as desktop entries
    // require.
    static std::string ExecValue(const std::string& executable, const std::string& server = "");

private:
    // The lines to write for the desktop's own "don't start at log-in" switches: as its
    // session settings left them in the `current` entry, else the default "enabled".
    static std::string UserSwitches(const std::optional<std::string>& current);

    std::filesystem::path configHome_;
    std::filesystem::path executable_;
    std::string server_;
};
