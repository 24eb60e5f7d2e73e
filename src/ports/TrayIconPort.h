#pragma once

#include <string>

// The tray icon images, by resource number.
enum class TrayIconId : int {
    Normal = 135,
    Held = 136,  // while a key or button is held
    Sending = 142,
};

// The tray icon as the core sees it; the desktop program implements it.
class TrayIconPort {
public:
    virtual ~TrayIconPort() = default;
    virtual void SetIcon(TrayIconId icon) = 0;
    // Refreshes the tooltip from the current counts (TooltipText).
    virtual void UpdateTooltip() = 0;
    // Shows this text as the tooltip until the next refresh (at most 127 characters show).
    virtual void SetTooltipText(const std::string& text) = 0;
    // Removes the icon from the tray and adds it again, with its current picture and tooltip.
    virtual void RefreshIcon() = 0;
};
