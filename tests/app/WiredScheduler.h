#pragma once

#include <filesystem>

#include "app/SkeldScheduler.h"
#include "app/TimerPlan.h"
#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "counting/RawInputCounter.h"
#include "persistence/AppPersistence.h"
#include "support/FixedClock.h"
#include "support/RecordingPorts.h"
#include "support/RecordingUser.h"

// The scheduler wired as the program wires it: real counting and saving into `folder`, a fixed
// clock, and recording tray and server. The program starts at StartTime.
struct WiredScheduler {
    static constexpr std::int64_t StartTime = 1'700'000'000;

    explicit WiredScheduler(const std::filesystem::path& folder)
        : persistence(DataFolder(folder / "program", folder / "data"), folder / "registry.conf",
                      user) {}

    std::filesystem::path StateFile() const {
        return persistence.Folder().GetDataFolder(false) / "Kestrovin.ksv";
    }
    void ReleaseKey() { counter.OnRawInput(RawInput::Key('A', RawInput::kKeyUp)); }
    void PressButton() { counter.OnRawInput(RawInput::Buttons(RawInput::kButton1Down)); }
    SkeldScheduler::AfterTick Tick(MainTimer timer) {
        return scheduler.OnTimer(static_cast<int>(timer));
    }

    RecordingUser user;
    AppPersistence persistence;
    FixedClock clock{StartTime};
    AppRecord record;
    KeyFrequencyTable frequencies;
    RecordingTray tray;
    RecordingServerActions server;
    HeldKeys keys;
    // Built before the counter, which asks it for skelds; it only reads the counter later.
    SkeldScheduler scheduler{record, counter, clock, tray, server, persistence, frequencies, user};
    RawInputCounter counter{record.Account, record.Prefs, frequencies, tray, scheduler, keys};
};
