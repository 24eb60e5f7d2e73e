#include "desktop/dialogs/LogList.h"

#include <utility>

CLogList::CLogList(LogFile log, UserPort& user, QWidget* parent)
    : CLogViewer(std::move(log), Caption, user, parent) {}
