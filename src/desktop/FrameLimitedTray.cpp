#include "desktop/FrameLimitedTray.h"

FrameLimitedTray::FrameLimitedTray(TrayIconPort& shown, std::chrono::milliseconds frame,
                                   FramePacer::Clock clock)
    : shown_(shown),
      iconPacer_([this] { shown_.SetIcon(icon_); }, frame, clock),
      tooltipPacer_([this] { shown_.UpdateTooltip(); }, frame, clock) {}

void FrameLimitedTray::SetIcon(TrayIconId icon) {
    icon_ = icon;
    if (icon == TrayIconId::Sending) {
        iconPacer_.Cancel();
        shown_.SetIcon(icon);
    } else {
        iconPacer_.Request();
    }
}

void FrameLimitedTray::UpdateTooltip() {
    tooltipPacer_.Request();
}

void FrameLimitedTray::SetTooltipText(const std::string& text) {
    tooltipPacer_.Cancel();
    shown_.SetTooltipText(text);
}

void FrameLimitedTray::RefreshIcon() {
    shown_.RefreshIcon();
}

void FrameLimitedTray::ShowWaiting() {
    iconPacer_.RunWaiting();
    tooltipPacer_.RunWaiting();
}
