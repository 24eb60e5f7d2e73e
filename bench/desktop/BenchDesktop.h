#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "support/XvfbServer.h"

class ChildProcess;

// The harness's own desktop: a virtual X server, a tray panel (trayer) and the reference
// statistics server on loopback, in a temporary folder that holds every home. Nothing of the
// user's display, home or server is used. Everything it starts is ended by process id when it
// goes, and by the kernel should the harness die first.
class BenchDesktop {
public:
    BenchDesktop();
    ~BenchDesktop();
    BenchDesktop(const BenchDesktop&) = delete;
    BenchDesktop& operator=(const BenchDesktop&) = delete;

    // Starts the statistics server and the tray; false, with the reason, when one did not come.
    bool Start(std::string& problem);

    const std::string& DisplayName() const { return xvfb_.Name(); }

    // A fresh home (HOME, XDG config, data and runtime folders) under the temporary folder.
    std::filesystem::path MakeHome(const std::string& name) const;
    // The environment of a program living in `home` on this desktop: nothing leads it to the
    // user's desktop, home, session bus or server.
    std::vector<std::string> Environment(const std::filesystem::path& home) const;
    std::filesystem::path OutputFile(const std::string& name) const { return folder_ / name; }
    // A session bus of its own for a program that needs one; `environment` then leads to it.
    // False, with the reason, when it did not start.
    bool StartSessionBus(const std::string& name, std::vector<std::string>& environment,
                         std::string& problem);

private:
    XvfbServer xvfb_;  // first: the last to go
    TempFolder folder_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> trayer_;
    std::vector<std::unique_ptr<ChildProcess>> buses_;
    std::string serverAddress_;
};
