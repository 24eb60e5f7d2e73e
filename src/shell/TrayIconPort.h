#pragma once

// The tray icon images, by resource number.
enum class TrayIconId : int {
    Normal = 135,
    Held = 136,  // while a key or button is held
    Sending = 142,
};

// The tray icon as the counting code sees it; the desktop program implements it.
class TrayIconPort {
public:
    virtual ~TrayIconPort() = default;
    virtual void SetIcon(TrayIconId icon) = 0;
    // Refreshes the tooltip from the current counts.
    virtual void UpdateTooltip() = 0;
};
