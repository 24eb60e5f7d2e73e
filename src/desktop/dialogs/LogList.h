#pragma once

#include "desktop/dialogs/LogViewer.h"

// "Kestrovin Skeld Log": the viewer of Skelds.log.
class CLogList final : public CLogViewer {
    Q_OBJECT

public:
    static constexpr const char* Caption = "Kestrovin Skeld Log";

    CLogList(LogFile log, UserPort& user, QWidget* parent = nullptr);
};
