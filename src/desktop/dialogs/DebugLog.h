#pragma once

#include "desktop/dialogs/LogViewer.h"

// "Kestrovin Debug Log": the viewer of Debug.log.
class CDebugLog final : public CLogViewer {
    Q_OBJECT

public:
    static constexpr const char* Caption = "Kestrovin Debug Log";

    CDebugLog(LogFile log, UserPort& user, QWidget* parent = nullptr);
};
