#pragma once

#include <filesystem>
#include <string>

#include "platform/AutostartPort.h"

// The XDG autostart entry: a desktop entry in $XDG_CONFIG_HOME/autostart that the desktop
// session runs at log-in.
class XdgAutostart final : public AutostartPort {
public:
    // `configHome`: the user's configuration folder (empty when unknown); `executable`: the full
    // path the entry starts (empty when unknown).
    XdgAutostart(std::filesystem::path configHome, std::filesystem::path executable);

    // $XDG_CONFIG_HOME (or ~/.config) and the running executable (/proc/self/exe).
    static XdgAutostart FromEnvironment();

    // configHome + "/autostart/Kestrovin.desktop".
    std::filesystem::path EntryPath() const;

    bool WriteEntry() override;
    void RemoveEntry() override;

    // The Exec value that runs `executable` with no arguments, quoted and escaped as desktop
    // entries require.
    static std::string ExecValue(const std::string& executable);

private:
    std::filesystem::path configHome_;
    std::filesystem::path executable_;
};
