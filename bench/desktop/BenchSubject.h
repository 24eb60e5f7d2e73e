#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/ProcessFigures.h"

class ChildProcess;
class TrayIconWatch;

// One program the harness measures, started afresh for each load, and what it takes to know
// that it is ready.
class BenchSubject {
public:
    enum class Readiness {
        PrintsReady,     // prints "ready" once listening
        ShowsIcon,       // its tray icon is painted
        ShowsIconFully,  // the icon is painted and the SIGTERM handler, its last start step, is in
    };

    BenchSubject(std::string name, std::vector<std::string> command, Readiness readiness);
    ~BenchSubject();
    BenchSubject(const BenchSubject&) = delete;
    BenchSubject& operator=(const BenchSubject&) = delete;

    const std::string& Name() const { return name_; }
    bool HasTrayIcon() const { return readiness_ != Readiness::PrintsReady; }

    // Starts it and waits (up to 60 s) until it is ready; false, with the reason, when it did
    // not get there. The time from the start to the painted icon goes to StartToIcon.
    bool Start(const std::vector<std::string>& environment, const std::filesystem::path& output,
               TrayIconWatch& watch, std::string& problem);
    std::optional<std::chrono::duration<double>> StartToIcon() const { return startToIcon_; }

    pid_t Pid() const;
    std::optional<ProcessFigures> Figures() const;
    // SIGTERM; true when it ended within 20 s, with status 0 when it catches SIGTERM.
    bool Stop();
    // What it printed.
    std::string Output() const;

private:
    const std::string name_;
    const std::vector<std::string> command_;
    const Readiness readiness_;
    std::unique_ptr<ChildProcess> process_;
    std::filesystem::path output_;
    std::optional<std::chrono::duration<double>> startToIcon_;
};
