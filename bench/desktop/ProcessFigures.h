#pragma once

#include <sys/types.h>

#include <optional>

// What /proc tells about a running process at one moment.
struct ProcessFigures {
    // Time on a processor, user and system, of all its threads, in seconds: the sum of
    // /proc/<pid>/task/*/schedstat, which counts nanoseconds where /proc/<pid>/stat counts
    // ticks of 10 ms.
    double CpuSeconds = 0;
    // utime + stime of /proc/<pid>/stat, to check the figure above against.
    double TickCpuSeconds = 0;
    long RssKiB = 0;      // VmRSS
    long PeakRssKiB = 0;  // VmHWM
    bool CatchesSigterm = false;

    // Nothing when the process is gone.
    static std::optional<ProcessFigures> Read(pid_t pid);
};
