#include "app/SkeldScheduler.h"

#include "app/SkeldNowLabel.h"
#include "app/TimerPlan.h"
#include "counting/AppRecord.h"
#include "counting/RawInputCounter.h"
#include "persistence/AppPersistence.h"
#include "ports/Clock.h"
#include "ports/ServerActionsPort.h"
#include "ports/SessionLockPort.h"
#include "ports/TrayIconPort.h"
#include "ports/UserPort.h"
#include "text/NumberText.h"

SkeldScheduler::SkeldScheduler(AppRecord& record, RawInputCounter& counter, const Clock& clock,
                               TrayIconPort& tray, ServerActionsPort& server,
                               const AppPersistence& persistence,
                               const KeyFrequencyTable& frequencies, UserPort& user)
    : LastSkeldRequest(clock.Now()),
      record_(record),
      counter_(counter),
      clock_(clock),
      tray_(tray),
      server_(server),
      persistence_(persistence),
      frequencies_(frequencies),
      user_(user),
      timer_(record, clock) {}

void SkeldScheduler::RequestSkeld(bool manual) {
    TryRequestSkeld(manual);
}

void SkeldScheduler::SkeldNow() {
    if (TryRequestSkeld(true)) {
        return;
    }
    const std::int64_t wait = LastSkeldRequest + MinSecondsBetweenRequests - clock_.Now();
    user_.ShowBalloon("Please wait", "Kestrovin skelds at most once every " +
                                         NumberText::Integer(MinSecondsBetweenRequests) +
                                         " seconds. The next skeld is possible in " +
                                         NumberText::Integer(wait) +
                                         (wait == 1 ? " second." : " seconds."));
}

bool SkeldScheduler::TryRequestSkeld(bool manual) {
    const std::int64_t now = clock_.Now();
    // Also refused when the clock was set back past the last request.
    if (now - LastSkeldRequest < MinSecondsBetweenRequests) {
        return false;
    }
    counter_.CountsDirty = false;
    LastSkeldRequest = now;
    AccountState& account = record_.Account;
    if (!manual || record_.Prefs.RetimeFromManualSkeld != 0) {
        account.tLastSkeld = static_cast<std::int32_t>(now);
    }
    // Only when an exchange will really start: BeginSkeld sends nothing without counts, and
    // then nothing would end the skeld and let the tray react again.
    if (account.SkeldInProgress == 0 &&
        (account.GetUnsentKeys() >= 1 || account.GetUnsentClicks() >= 1)) {
        TrayReady = false;
    }
    server_.BeginSkeld();
    return true;
}

void SkeldScheduler::EndSkeld() {
    tray_.UpdateTooltip();
    tray_.SetIcon(TrayIconId::Normal);
    TrayReady = true;
    record_.Account.SkeldInProgress = 0;
}

SkeldScheduler::AfterTick SkeldScheduler::OnTimer(int timerId) {
    switch (static_cast<MainTimer>(timerId)) {
        case MainTimer::Tooltip:
            OnTooltipTick();
            break;
        case MainTimer::PeriodicSave:
            OnPeriodicSave();
            break;
        case MainTimer::VersionCheck:
            OnVersionCheckTick();
            break;
        case MainTimer::IconRefresh:
            tray_.RefreshIcon();
            break;
        case MainTimer::TemplateOutput:
            if (GenerateTemplateOutput) {
                GenerateTemplateOutput();
            }
            break;
        case MainTimer::StartupVersionCheck:
            AutoCheckVersion();
            return AfterTick::StopTimer;
    }
    return AfterTick::KeepTimer;
}

void SkeldScheduler::OnTooltipTick() {
    tray_.UpdateTooltip();
    if (timer_.IsDue() && record_.Prefs.SkeldEveryHours > 0) {
        if (record_.Prefs.SkeldingEnabled != 0 && !SkipNextDueCheck) {
            RequestSkeld(false);
        }
        SkipNextDueCheck = false;
    }
}

void SkeldScheduler::OnPeriodicSave() {
    record_.Account.SecondsTilSkeld = timer_.SecondsTilSkeld();
    if (counter_.CountsDirty) {
        persistence_.SaveAll(record_, frequencies_);
    }
    counter_.CountsDirty = false;
}

void SkeldScheduler::OnVersionCheckTick() {
    const std::int64_t sinceLastCheck = clock_.Now() - record_.Account.LastVersionCheck;
    const std::int32_t checkFor = record_.Prefs.CheckForUpdates;
    // A negative difference (clock set back) is never more than the period.
    if ((checkFor == 1 && sinceLastCheck > WeekSeconds) ||
        (checkFor == 0 && sinceLastCheck > FourWeeksSeconds)) {
        AutoCheckVersion();
    }
}

void SkeldScheduler::AutoCheckVersion() {
    record_.Account.LastVersionCheck = static_cast<std::int32_t>(clock_.Now());
    server_.CheckVersionSilently();
}

void SkeldScheduler::OnHotKey(int hotKeyId) {
    const bool locked = sessionLock_ != nullptr && sessionLock_->IsLocked();
    if (hotKeyId == HotKeyId && record_.Prefs.UseHotKey != 0 && !locked) {
        SkeldNow();
    }
}

std::string SkeldScheduler::UpdateSkeldNowLabel() const {
    return SkeldNowLabel(record_.Prefs.SkeldEveryHours, timer_.SecondsTilSkeld());
}
