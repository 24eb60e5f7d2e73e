#include "desktop/ShownTray.h"

#include "app/TooltipText.h"
#include "desktop/SystemTray.h"

void ShownTray::SetIcon(TrayIconId icon) {
    tray_.SetIcon(icon);
}

void ShownTray::UpdateTooltip() {
    tray_.SetTooltipText(QString::fromStdString(TooltipText(record_)));
}

void ShownTray::SetTooltipText(const std::string& text) {
    tray_.SetTooltipText(QString::fromStdString(text));
}

void ShownTray::RefreshIcon() {
    tray_.RefreshIcon();
}
