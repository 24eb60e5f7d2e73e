#include "app/SkeldScheduler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/TimerPlan.h"
#include "app/WiredScheduler.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using Trigger = std::function<void(WiredScheduler&)>;

constexpr std::int64_t kStart = WiredScheduler::StartTime;
constexpr std::int32_t kHour = 3600;

// Every way a skeld can be asked for, set up so that it asks whenever it is triggered.
struct Path {
    const char* Name;
    bool Manual;
    std::function<void(WiredScheduler&)> Prepare;
    Trigger Fire;
};

const Path kPaths[] = {
    {"Skeld Now", true, [](WiredScheduler&) {}, [](WiredScheduler& p) { p.scheduler.SkeldNow(); }},
    {"hot key", true, [](WiredScheduler& p) { p.record.Prefs.UseHotKey = 1; },
     [](WiredScheduler& p) { p.scheduler.OnHotKey(SkeldScheduler::HotKeyId); }},
    {"key threshold", true, [](WiredScheduler& p) { p.record.Prefs.SkeldEvery = 1; },
     [](WiredScheduler& p) { p.ReleaseKey(); }},
    {"click threshold", false, [](WiredScheduler& p) { p.record.Prefs.SkeldEveryClicks = 1; },
     [](WiredScheduler& p) { p.PressButton(); }},
    {"due check", false,
     [](WiredScheduler& p) {
         p.record.Prefs.SkeldEveryHours = 1;
         p.record.Account.tLastSkeld = static_cast<std::int32_t>(kStart - 2 * kHour);
     },
     [](WiredScheduler& p) { p.Tick(MainTimer::Tooltip); }},
};

class SkeldSchedulerTest : public ::testing::Test {
protected:
    SkeldSchedulerTest() { environment.Set("TZ", "UTC0"); }

    // A fresh program, already past the first 20 seconds.
    std::unique_ptr<WiredScheduler> Running() {
        auto program = std::make_unique<WiredScheduler>(temp.Path());
        program->clock.Advance(60);
        program->scheduler.TrayReady = true;
        return program;
    }

    ScopedEnvironment environment;
    TempFolder temp;
};

TEST_F(SkeldSchedulerTest, NoPathRequestsASkeldInTheFirstTwentySeconds) {
    for (const Path& path : kPaths) {
        WiredScheduler p(temp.Path());
        path.Prepare(p);
        const std::int32_t lastSkeld = p.record.Account.tLastSkeld;
        p.clock.Advance(19);
        path.Fire(p);
        EXPECT_EQ(p.server.skelds, 0) << path.Name;
        EXPECT_EQ(p.record.Account.tLastSkeld, lastSkeld) << path.Name;
        EXPECT_EQ(p.scheduler.LastSkeldRequest, kStart) << path.Name;

        p.clock.Advance(1);
        path.Fire(p);
        EXPECT_EQ(p.server.skelds, 1) << path.Name;
        EXPECT_EQ(p.scheduler.LastSkeldRequest, kStart + 20) << path.Name;
    }
}

TEST_F(SkeldSchedulerTest, ASecondRequestWithinTwentySecondsChangesNothing) {
    auto p = Running();
    p->ReleaseKey();
    p->scheduler.RequestSkeld(true);
    ASSERT_EQ(p->server.skelds, 1);
    const std::int64_t firstRequest = p->clock.Now();

    p->clock.Advance(10);
    p->ReleaseKey();
    p->scheduler.RequestSkeld(true);
    EXPECT_EQ(p->server.skelds, 1);
    EXPECT_EQ(p->record.Account.tLastSkeld, firstRequest);
    EXPECT_EQ(p->scheduler.LastSkeldRequest, firstRequest);
    EXPECT_TRUE(p->counter.CountsDirty);  // the key after the request still waits for a save

    p->clock.Set(firstRequest - 3600);  // clock set back
    p->scheduler.RequestSkeld(true);
    EXPECT_EQ(p->server.skelds, 1);
}

TEST_F(SkeldSchedulerTest, TheHoursIntervalFallsDueOnTheTooltipTick) {
    auto p = Running();
    p->record.Prefs.SkeldEveryHours = 2;
    p->record.Account.tLastSkeld = static_cast<std::int32_t>(p->clock.Now() - (2 * kHour - 30));
    p->ReleaseKey();
    EXPECT_EQ(p->scheduler.UpdateSkeldNowLabel(), "Skeld Now!  (Auto in 30 Seconds)");

    bool trayReadyDuringSkeld = true;
    p->server.duringSkeld = [&] {
        p->record.Account.SkeldInProgress = 1;
        trayReadyDuringSkeld = p->scheduler.TrayReady;
        p->scheduler.EndSkeld();
    };
    p->clock.Advance(29);
    p->Tick(MainTimer::Tooltip);
    EXPECT_EQ(p->server.skelds, 0);

    p->clock.Advance(1);
    const int tooltipsBefore = p->tray.tooltipUpdates;
    p->tray.icons.clear();
    p->Tick(MainTimer::Tooltip);
    EXPECT_EQ(p->server.skelds, 1);
    EXPECT_EQ(p->record.Account.tLastSkeld, p->clock.Now());
    EXPECT_FALSE(trayReadyDuringSkeld);
    // The tick's own refresh, then the end of the skeld's.
    EXPECT_EQ(p->tray.tooltipUpdates, tooltipsBefore + 2);
    EXPECT_EQ(p->tray.icons, std::vector<TrayIconId>{TrayIconId::Normal});
    EXPECT_TRUE(p->scheduler.TrayReady);
    EXPECT_EQ(p->record.Account.SkeldInProgress, 0);
    EXPECT_EQ(p->scheduler.UpdateSkeldNowLabel(), "Skeld Now!  (Auto in 2 Hours)");
}

TEST_F(SkeldSchedulerTest, WithNoSkeldYetTheHoursNeverFallDue) {
    auto p = Running();
    p->record.Prefs.SkeldEveryHours = 3;
    for (int hour = 0; hour < 48; ++hour) {
        p->clock.Advance(kHour);
        p->Tick(MainTimer::Tooltip);
    }
    EXPECT_EQ(p->server.skelds, 0);
    EXPECT_EQ(p->scheduler.UpdateSkeldNowLabel(), "Skeld Now!  (Auto in 12 Hours)");
}

TEST_F(SkeldSchedulerTest, ManualRequestsRestartTheHoursOnlyWhenRetimingIsOn) {
    const std::int32_t lastSkeld = static_cast<std::int32_t>(kStart - 2 * kHour);
    for (const Path& path : kPaths) {
        for (const std::int32_t retime : {0, 1}) {
            auto p = Running();
            path.Prepare(*p);
            p->record.Prefs.RetimeFromManualSkeld = retime;
            p->record.Account.tLastSkeld = lastSkeld;
            path.Fire(*p);
            ASSERT_EQ(p->server.skelds, 1) << path.Name;
            const bool restarts = !path.Manual || retime == 1;
            EXPECT_EQ(p->record.Account.tLastSkeld, restarts ? p->clock.Now() : lastSkeld)
                << path.Name << " retime " << retime;
        }
    }
}

// The user's own requests say why nothing happens and for how long; the program's own
// requests (thresholds, due check) stay silent.
TEST_F(SkeldSchedulerTest, ARefusedSkeldNowSaysWhenTheNextIsPossible) {
    for (const Path& path : kPaths) {
        WiredScheduler p(temp.Path());
        path.Prepare(p);
        p.clock.Advance(8);
        path.Fire(p);
        const bool usersOwn =
            path.Name == std::string("Skeld Now") || path.Name == std::string("hot key");
        if (!usersOwn) {
            EXPECT_TRUE(p.user.balloons.empty()) << path.Name;
            continue;
        }
        ASSERT_EQ(p.user.balloons.size(), 1u) << path.Name;
        EXPECT_EQ(p.user.balloons[0].Title, "Please wait");
        EXPECT_EQ(p.user.balloons[0].Text,
                  "Kestrovin skelds at most once every 20 seconds. The next skeld is possible "
                  "in 12 seconds.");
        p.clock.Advance(11);
        path.Fire(p);
        EXPECT_EQ(p.user.balloons.back().Text,
                  "Kestrovin skelds at most once every 20 seconds. The next skeld is possible "
                  "in 1 second.");
        p.clock.Advance(1);
        path.Fire(p);
        EXPECT_EQ(p.user.balloons.size(), 2u) << path.Name << ": the skeld went ahead";
        EXPECT_EQ(p.server.skelds, 1) << path.Name;
    }
}

TEST_F(SkeldSchedulerTest, TheDueCheckNeedsHoursSkeldingEnabledAndNoSkip) {
    const struct {
        std::int32_t hours, skeldingEnabled;
        bool skip;
        int skelds;
        bool skipAfter;
    } cases[] = {
        {1, 1, false, 1, false},
        {1, 1, true, 0, false},   // applied preferences: this tick only clears the flag
        {1, 0, false, 0, false},  // due, but skelding switched off
        {1, 0, true, 0, false},
        {0, 1, false, 0, false},  // the 12-hour default is due, but hours are off
        {0, 1, true, 0, true},    // not consumed while hours are off
    };
    for (const auto& c : cases) {
        auto p = Running();
        p->record.Prefs.SkeldEveryHours = c.hours;
        p->record.Prefs.SkeldingEnabled = c.skeldingEnabled;
        p->record.Account.tLastSkeld = static_cast<std::int32_t>(kStart - 13 * kHour);
        p->scheduler.SkipNextDueCheck = c.skip;
        p->Tick(MainTimer::Tooltip);
        EXPECT_EQ(p->server.skelds, c.skelds) << c.hours << c.skeldingEnabled << c.skip;
        EXPECT_EQ(p->scheduler.SkipNextDueCheck, c.skipAfter)
            << c.hours << c.skeldingEnabled << c.skip;
    }
}

TEST_F(SkeldSchedulerTest, AfterASkippedTickTheNextOneRequests) {
    auto p = Running();
    p->record.Prefs.SkeldEveryHours = 1;
    p->record.Account.tLastSkeld = static_cast<std::int32_t>(kStart - 2 * kHour);
    p->scheduler.SkipNextDueCheck = true;
    p->Tick(MainTimer::Tooltip);
    EXPECT_EQ(p->server.skelds, 0);
    p->clock.Advance(1);
    p->Tick(MainTimer::Tooltip);
    EXPECT_EQ(p->server.skelds, 1);
}

TEST_F(SkeldSchedulerTest, TheTrayIgnoresTheMouseOnlyWhileAnExchangeWillRun) {
    const struct {
        std::int32_t keys, clicks, inProgress;
        bool trayReady;
    } cases[] = {
        {0, 0, 0, true},  // nothing to send: BeginSkeld returns at once
        {1, 0, 0, false},
        {0, 1, 0, false},
        {5, 5, 1, true},  // a skeld is already running (its message box is open)
    };
    for (const auto& c : cases) {
        auto p = Running();
        p->record.Account.AddUnsentKeys(c.keys);
        p->record.Account.AddUnsentClicks(c.clicks);
        p->record.Account.SkeldInProgress = c.inProgress;
        p->scheduler.RequestSkeld(true);
        EXPECT_EQ(p->server.skelds, 1);
        EXPECT_EQ(p->record.Account.tLastSkeld, p->clock.Now());
        EXPECT_EQ(p->scheduler.LastSkeldRequest, p->clock.Now());
        EXPECT_EQ(p->scheduler.TrayReady, c.trayReady) << c.keys << c.clicks << c.inProgress;
    }
}

TEST_F(SkeldSchedulerTest, ThePeriodicSaveSavesOnlyWhatWasCounted) {
    auto p = Running();
    p->record.Prefs.SkeldEveryHours = 2;
    p->record.Account.tLastSkeld = static_cast<std::int32_t>(p->clock.Now() - kHour);
    EXPECT_EQ(p->Tick(MainTimer::PeriodicSave), SkeldScheduler::AfterTick::KeepTimer);
    EXPECT_EQ(p->record.Account.SecondsTilSkeld, kHour);
    EXPECT_FALSE(fs::exists(p->StateFile()));

    p->ReleaseKey();
    p->Tick(MainTimer::PeriodicSave);
    EXPECT_TRUE(fs::exists(p->StateFile()));
    EXPECT_FALSE(p->counter.CountsDirty);

    fs::remove(p->StateFile());
    p->Tick(MainTimer::PeriodicSave);
    EXPECT_FALSE(fs::exists(p->StateFile()));

    // A skeld request takes over the save: the skeld saves when it succeeds.
    p->ReleaseKey();
    p->scheduler.RequestSkeld(true);
    EXPECT_FALSE(p->counter.CountsDirty);
    p->Tick(MainTimer::PeriodicSave);
    EXPECT_FALSE(fs::exists(p->StateFile()));
}

TEST_F(SkeldSchedulerTest, PeriodicVersionCheckWeeklyOrMonthly) {
    constexpr std::int64_t kWeek = SkeldScheduler::WeekSeconds;
    constexpr std::int64_t kFourWeeks = SkeldScheduler::FourWeeksSeconds;
    const struct {
        std::int32_t checkForUpdates;
        std::int64_t sinceLastCheck;
        bool checks;
    } cases[] = {
        {1, kWeek, false},           {1, kWeek + 1, true},
        {0, kWeek + 1, false},       {0, kFourWeeks, false},
        {0, kFourWeeks + 1, true},   {2, kFourWeeks * 10, false},  // never
        {7, kFourWeeks * 10, false}, {1, -kWeek * 2, false},       // clock set back
        {0, -kFourWeeks * 2, false},
    };
    for (const auto& c : cases) {
        auto p = Running();
        p->record.Prefs.CheckForUpdates = c.checkForUpdates;
        const auto lastCheck = static_cast<std::int32_t>(p->clock.Now() - c.sinceLastCheck);
        p->record.Account.LastVersionCheck = lastCheck;
        p->Tick(MainTimer::VersionCheck);
        EXPECT_EQ(p->server.versionChecks, c.checks ? 1 : 0)
            << c.checkForUpdates << " " << c.sinceLastCheck;
        EXPECT_EQ(p->record.Account.LastVersionCheck, c.checks ? p->clock.Now() : lastCheck);
    }
}

TEST_F(SkeldSchedulerTest, TheFirstPeriodicVersionCheckComesAtTheFirstTick) {
    auto p = Running();  // LastVersionCheck is 0 after a start
    p->clock.Advance(15 * 60);
    p->Tick(MainTimer::VersionCheck);
    p->clock.Advance(15 * 60);
    p->Tick(MainTimer::VersionCheck);
    EXPECT_EQ(p->server.versionChecks, 1);
}

TEST_F(SkeldSchedulerTest, TheOtherTimers) {
    auto p = Running();
    int templateOutputs = 0;
    EXPECT_EQ(p->Tick(MainTimer::TemplateOutput), SkeldScheduler::AfterTick::KeepTimer);
    p->scheduler.GenerateTemplateOutput = [&] { ++templateOutputs; };
    p->Tick(MainTimer::TemplateOutput);
    EXPECT_EQ(templateOutputs, 1);

    EXPECT_EQ(p->Tick(MainTimer::IconRefresh), SkeldScheduler::AfterTick::KeepTimer);
    EXPECT_EQ(p->tray.refreshes, 1);

    EXPECT_EQ(p->Tick(MainTimer::StartupVersionCheck), SkeldScheduler::AfterTick::StopTimer);
    EXPECT_EQ(p->server.versionChecks, 1);
    EXPECT_EQ(p->record.Account.LastVersionCheck, p->clock.Now());

    EXPECT_EQ(p->scheduler.OnTimer(32811), SkeldScheduler::AfterTick::KeepTimer);
    EXPECT_EQ(p->tray.tooltipUpdates, 0);
    EXPECT_EQ(p->server.skelds, 0);
}

TEST_F(SkeldSchedulerTest, TheHotKeyAsksOnlyWhenSwitchedOn) {
    const struct {
        int id;
        std::int32_t useHotKey;
        int skelds;
    } cases[] = {{100, 1, 1}, {100, 0, 0}, {101, 1, 0}};
    for (const auto& c : cases) {
        auto p = Running();
        p->record.Prefs.UseHotKey = c.useHotKey;
        p->scheduler.OnHotKey(c.id);
        EXPECT_EQ(p->server.skelds, c.skelds) << c.id << " " << c.useHotKey;
    }
}

TEST_F(SkeldSchedulerTest, TheHotKeyDoesNothingWhileTheSessionIsLocked) {
    auto p = Running();
    p->record.Prefs.UseHotKey = 1;
    SwitchedLock lock;
    p->scheduler.WatchSessionLock(lock);
    lock.Set(true);
    p->scheduler.OnHotKey(SkeldScheduler::HotKeyId);
    EXPECT_EQ(p->server.skelds, 0);
    lock.Set(false);
    p->scheduler.OnHotKey(SkeldScheduler::HotKeyId);
    EXPECT_EQ(p->server.skelds, 1);
}

}  // namespace
