#pragma once

#include "ports/TrayIconPort.h"

struct AppRecord;
class CSystemTray;

// The tray icon changed at once: its picture, and its tooltip built from the record's counts.
class ShownTray final : public TrayIconPort {
public:
    ShownTray(CSystemTray& tray, const AppRecord& record) : tray_(tray), record_(record) {}

    void SetIcon(TrayIconId icon) override;
    void UpdateTooltip() override;
    void SetTooltipText(const std::string& text) override;
    void RefreshIcon() override;

private:
    CSystemTray& tray_;
    const AppRecord& record_;
};
