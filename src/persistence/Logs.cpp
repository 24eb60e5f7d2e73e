#include "persistence/Logs.h"

Logs::Logs(const DataFolder& dataFolder, const Clock& clock)
    : dataFolder_(dataFolder), clock_(clock) {}

LogFile Logs::SkeldLog(bool portableMode) const {
    return LogFile(dataFolder_.GetDataFilePath(LogFile::SkeldLogName, portableMode), clock_);
}

LogFile Logs::DebugLog(bool portableMode) const {
    return LogFile(dataFolder_.GetDataFilePath(LogFile::DebugLogName, portableMode), clock_);
}

void Logs::WriteSkeldLog(bool portableMode, const char* format, ...) const {
    std::va_list arguments;
    va_start(arguments, format);
    SkeldLog(portableMode).WriteV(format, arguments);
    va_end(arguments);
}

void Logs::WriteDebugLog(bool portableMode, const char* format, ...) const {
    std::va_list arguments;
    va_start(arguments, format);
    DebugLog(portableMode).WriteV(format, arguments);
    va_end(arguments);
}
