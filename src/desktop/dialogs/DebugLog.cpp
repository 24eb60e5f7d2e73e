#include "desktop/dialogs/DebugLog.h"

#include <utility>

CDebugLog::CDebugLog(LogFile log, UserPort& user, QWidget* parent)
    : CLogViewer(std::move(log), Caption, user, parent) {}

bool CDebugLog::ShowOnce(bool& open, LogFile log, UserPort& user) {
    if (open) {
        return false;
    }
    CDebugLog viewer(std::move(log), user);
    return RunOnce(open, viewer);
}
