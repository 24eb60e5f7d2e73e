#include "desktop/ProcessFigures.h"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

bool ReadStat(const std::filesystem::path& folder, ProcessFigures& figures) {
    std::ifstream in(folder / "stat");
    std::string text;
    if (!std::getline(in, text)) {
        return false;
    }
    // The name in parentheses may hold blanks; the fields after it are plain.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return false;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    // Fields 3 to 13, then utime (14) and stime (15).
    for (int number = 3; number <= 13 && fields >> field; ++number) {
    }
    if (!(fields >> user >> system)) {
        return false;
    }
    figures.TickCpuSeconds =
        static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    return true;
}

bool ReadStatus(const std::filesystem::path& folder, ProcessFigures& figures) {
    std::ifstream in(folder / "status");
    bool any = false;
    for (std::string line; std::getline(in, line);) {
        any = true;
        if (line.starts_with("VmRSS:")) {
            figures.RssKiB = std::stol(line.substr(6));
        } else if (line.starts_with("VmHWM:")) {
            figures.PeakRssKiB = std::stol(line.substr(6));
        } else if (line.starts_with("SigCgt:")) {
            const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
            figures.CatchesSigterm = (caught >> (SIGTERM - 1) & 1) != 0;
        }
    }
    return any;
}

double ScheduledSeconds(const std::filesystem::path& folder) {
    unsigned long long nanoseconds = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(folder / "task", error)) {
        std::ifstream in(task.path() / "schedstat");
        unsigned long long onCpu = 0;
        if (in >> onCpu) {
            nanoseconds += onCpu;
        }
    }
    return static_cast<double>(nanoseconds) / 1e9;
}

}  // namespace

std::optional<ProcessFigures> ProcessFigures::Read(pid_t pid) {
    const std::filesystem::path folder = "/proc/" + std::to_string(pid);
    ProcessFigures figures;
    if (!ReadStat(folder, figures) || !ReadStatus(folder, figures)) {
        return std::nullopt;
    }
    figures.CpuSeconds = ScheduledSeconds(folder);
    return figures;
}
