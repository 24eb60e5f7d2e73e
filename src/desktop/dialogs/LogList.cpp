#include "desktop/dialogs/LogList.h"

#include <utility>

CLogList::CLogList(LogFile log, UserPort& user, QWidget* parent)
    : CLogViewer(std::move(log), Caption, user, parent) {}

bool CLogList::ShowOnce(bool& open, LogFile log, UserPort& user) {
    if (open) {
        return false;
    }
    CLogList viewer(std::move(log), user);
    return RunOnce(open, viewer);
}
