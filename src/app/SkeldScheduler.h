#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/SkeldTimer.h"
#include "ports/EndSkeldPort.h"
#include "ports/SkeldRequestPort.h"

struct AppRecord;
class AppPersistence;
class Clock;
class KeyFrequencyTable;
class RawInputCounter;
class ServerActionsPort;
class SessionLockPort;
class TrayIconPort;
class UserPort;

// What happens on a clock, and the one way in for every skeld request: the main timers'
// actions, the hours-based automatic skeld, the hot key and the "Skeld Now" label. The desktop
// program starts the timers of StartupTimers and passes each tick to OnTimer.
class SkeldScheduler final : public SkeldRequestPort, public EndSkeldPort {
public:
    static constexpr int HotKeyId = 100;  // Alt+Ctrl+P
    // No two skeld requests get through closer together than this.
    static constexpr std::int64_t MinSecondsBetweenRequests = 20;
    static constexpr std::int64_t WeekSeconds = 604800;
    static constexpr std::int64_t FourWeeksSeconds = 2419200;

    enum class AfterTick { KeepTimer, StopTimer };

    // The request clock starts now, so nothing gets through in the first 20 seconds.
    // `counter` may be constructed after the scheduler (it takes the scheduler as its
    // SkeldRequestPort): only requests and ticks use it, for its CountsDirty flag.
    SkeldScheduler(AppRecord& record, RawInputCounter& counter, const Clock& clock,
                   TrayIconPort& tray, ServerActionsPort& server, const AppPersistence& persistence,
                   const KeyFrequencyTable& frequencies, UserPort& user);

    // Asks for a skeld; `manual` is true for the user's requests and the keystroke threshold.
    void RequestSkeld(bool manual) override;
    // The user's own request ("Skeld Now", the tray icon, the hot key): a manual request that,
    // when refused by the 20-second rule, says in a balloon when the next one is possible, so
    // the click is not lost without a word.
    void SkeldNow();
    void EndSkeld() override;

    // One tick of a main timer (MainTimer ids; others are ignored). StopTimer asks the
    // caller to stop that timer for good.
    AfterTick OnTimer(int timerId);
    void OnHotKey(int hotKeyId);
    // From now on the hot key does nothing while `lock` says the session is locked: the keys
    // typed at a lock screen are not commands to this program.
    void WatchSessionLock(const SessionLockPort& lock) { sessionLock_ = &lock; }
    void AutoCheckVersion();
    // The text for the "Skeld Now" item, each time the tray menu is about to open.
    std::string UpdateSkeldNowLabel() const;

    const SkeldTimer& Timer() const { return timer_; }

    // The tray acts on mouse clicks only while this is set: the program sets it once start-up
    // has started the timers; it is cleared while a skeld exchange runs.
    bool TrayReady = false;
    // When a request last got past the 20-second rule.
    std::int64_t LastSkeldRequest;
    // Set by the preferences dialog when it applies skelds by the hour, so that a skeld that
    // is already due waits one more tick instead of starting while the dialog closes.
    bool SkipNextDueCheck = false;
    // Writes the template output; does nothing until the program sets it.
    std::function<void()> GenerateTemplateOutput;

private:
    // RequestSkeld; false when the 20-second rule refused it.
    bool TryRequestSkeld(bool manual);
    void OnTooltipTick();
    void OnPeriodicSave();
    void OnVersionCheckTick();

    AppRecord& record_;
    RawInputCounter& counter_;
    const Clock& clock_;
    TrayIconPort& tray_;
    ServerActionsPort& server_;
    const AppPersistence& persistence_;
    const KeyFrequencyTable& frequencies_;
    UserPort& user_;
    SkeldTimer timer_;
    const SessionLockPort* sessionLock_ = nullptr;
};
