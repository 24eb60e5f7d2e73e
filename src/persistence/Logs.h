#pragma once

#include <cstdarg>

#include "persistence/DataFolder.h"
#include "persistence/LogFile.h"
#include "ports/Clock.h"

// The skeld log and the debug log in the data folder. Each path is resolved when it is used,
// so a change of portable mode takes effect with the next line. The data folder and the clock
// must outlive it.
class Logs {
public:
    explicit Logs(const DataFolder& dataFolder, const Clock& clock = SystemClock::Instance());

    LogFile SkeldLog(bool portableMode) const;
    LogFile DebugLog(bool portableMode) const;

    // One line in Skelds.log: one per successful skeld.
    void WriteSkeldLog(bool portableMode, const char* format, ...) const
        __attribute__((format(printf, 3, 4)));
    // One line in Debug.log: the steps and outcomes of the server exchanges.
    void WriteDebugLog(bool portableMode, const char* format, ...) const
        __attribute__((format(printf, 3, 4)));

private:
    const DataFolder& dataFolder_;
    const Clock& clock_;
};
