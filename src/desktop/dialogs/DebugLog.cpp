#include "desktop/dialogs/DebugLog.h"

#include <utility>

CDebugLog::CDebugLog(LogFile log, UserPort& user, QWidget* parent)
    : CLogViewer(std::move(log), Caption, user, parent) {}
