#pragma once

#include <chrono>

#include "desktop/FramePacer.h"
#include "ports/TrayIconPort.h"

// The tray icon limited to what a person can see. A new picture, or a refresh of the tooltip,
// is passed on at once when none was passed on within the last display frame, and otherwise
// when that frame is over, the latest state winning. At human speed every press and release
// shows as it happens; a burst of input costs one change per frame instead of one per event.
//
// The sending picture and explicit tooltip texts are passed on at once and replace what waits:
// a skeld exchange follows them and holds up the event loop, and with it the frame's end.
class FrameLimitedTray final : public TrayIconPort {
public:
    // One frame of a 60 Hz display.
    static constexpr std::chrono::milliseconds kFrame{16};

    explicit FrameLimitedTray(TrayIconPort& shown, std::chrono::milliseconds frame = kFrame,
                              FramePacer::Clock clock = std::chrono::steady_clock::now);

    void SetIcon(TrayIconId icon) override;
    void UpdateTooltip() override;
    void SetTooltipText(const std::string& text) override;
    void RefreshIcon() override;

    // Passes on what waits now; the frame timers do it when the frame is over.
    void ShowWaiting();

private:
    TrayIconPort& shown_;
    TrayIconId icon_ = TrayIconId::Normal;  // the latest picture asked for
    FramePacer iconPacer_;
    FramePacer tooltipPacer_;
};
