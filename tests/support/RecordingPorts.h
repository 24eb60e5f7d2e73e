#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ports/EndSkeldPort.h"
#include "ports/KeyStatePort.h"
#include "ports/ServerActionsPort.h"
#include "ports/SessionLockPort.h"
#include "ports/SkeldRequestPort.h"
#include "ports/TrayIconPort.h"

// Records what the counting code asked of the tray.
class RecordingTray final : public TrayIconPort {
public:
    void SetIcon(TrayIconId icon) override { icons.push_back(icon); }
    void UpdateTooltip() override { ++tooltipUpdates; }
    void SetTooltipText(const std::string& text) override { tooltips.push_back(text); }
    void RefreshIcon() override { ++refreshes; }

    std::vector<TrayIconId> icons;
    std::vector<std::string> tooltips;
    int tooltipUpdates = 0;
    int refreshes = 0;
};

class RecordingSkeldRequests final : public SkeldRequestPort {
public:
    void RequestSkeld(bool manual) override { requests.push_back(manual); }
    std::vector<bool> requests;
};

// Counts the server requests; a skeld runs `duringSkeld` when the test sets it.
class RecordingServerActions final : public ServerActionsPort {
public:
    void BeginSkeld() override {
        ++skelds;
        if (duringSkeld) {
            duringSkeld();
        }
    }
    void CheckVersionSilently() override { ++versionChecks; }

    int skelds = 0;
    int versionChecks = 0;
    std::function<void()> duringSkeld;
};

// Keys the test says are held.
class HeldKeys final : public KeyStatePort {
public:
    bool IsKeyDown(std::uint16_t virtualKey) override { return held.count(virtualKey) != 0; }
    std::set<std::uint16_t> held;
};

// A session lock the test locks and unlocks; it tells of a change before it takes effect.
class SwitchedLock final : public SessionLockPort {
public:
    bool IsLocked() const override { return locked; }
    void Set(bool value) {
        if (value != locked) {
            Notify(value);
            locked = value;
        }
    }
    bool locked = false;
};

// Counts the end-of-skeld steps and runs what the test wants done there.
class RecordingSkeldEnd final : public EndSkeldPort {
public:
    void EndSkeld() override {
        ++calls;
        if (onEnd) {
            onEnd();
        }
    }
    int calls = 0;
    std::function<void()> onEnd;
};
