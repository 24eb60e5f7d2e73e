// The tray icon limited to one change per display frame, driven by the real counting code.
#include "desktop/FrameLimitedTray.h"

#include <gtest/gtest.h>

#include <QTest>

#include "counting/AccountState.h"
#include "counting/KeyFrequencyTable.h"
#include "counting/Preferences.h"
#include "counting/RawInputCounter.h"
#include "support/RecordingPorts.h"

namespace {

using namespace std::chrono_literals;
using Icons = std::vector<TrayIconId>;
constexpr auto kNormal = TrayIconId::Normal;
constexpr auto kHeld = TrayIconId::Held;
constexpr auto kSending = TrayIconId::Sending;

class FrameLimitedTrayTest : public ::testing::Test {
protected:
    void Press() { counter.OnRawInput(RawInput::Key('A', RawInput::kKeyDown)); }
    void Release() { counter.OnRawInput(RawInput::Key('A', RawInput::kKeyUp)); }
    // The frame is over: what waits shows, as the frame timers would show it.
    void EndFrame() {
        now += FrameLimitedTray::kFrame;
        limited.ShowWaiting();
    }

    std::chrono::steady_clock::time_point now;
    RecordingTray shown;
    FrameLimitedTray limited{shown, FrameLimitedTray::kFrame, [this] { return now; }};
    AccountState account = AccountState::StartValues();
    Preferences preferences;  // BlinkTray on
    KeyFrequencyTable frequencies;
    RecordingSkeldRequests skelds;
    HeldKeys keys;
    RawInputCounter counter{account, preferences, frequencies, limited, skelds, keys};
};

TEST_F(FrameLimitedTrayTest, AtHumanSpeedEveryPressAndReleaseShowsAtOnce) {
    Press();
    EXPECT_EQ(shown.icons, (Icons{kHeld}));
    EXPECT_EQ(shown.tooltipUpdates, 1);
    now += 80ms;  // a short keystroke
    Release();
    EXPECT_EQ(shown.icons, (Icons{kHeld, kNormal}));
    EXPECT_EQ(shown.tooltipUpdates, 2);
    limited.ShowWaiting();  // nothing waits
    EXPECT_EQ(shown.icons, (Icons{kHeld, kNormal}));
    EXPECT_EQ(shown.tooltipUpdates, 2);
}

TEST_F(FrameLimitedTrayTest, WithinOneFrameOnlyTheLastStateShowsWhenTheFrameEnds) {
    for (int stroke = 0; stroke < 100; ++stroke) {
        Press();
        Release();
    }
    Press();
    EXPECT_EQ(shown.icons, (Icons{kHeld}));
    EXPECT_EQ(shown.tooltipUpdates, 1);
    EndFrame();
    EXPECT_EQ(shown.icons, (Icons{kHeld, kHeld})) << "the last press wins";
    EXPECT_EQ(shown.tooltipUpdates, 2);

    Release();  // within the frame of the last change: waits for its end
    EXPECT_EQ(shown.icons, (Icons{kHeld, kHeld}));
    EndFrame();
    EXPECT_EQ(shown.icons, (Icons{kHeld, kHeld, kNormal}));
    EXPECT_EQ(account.GetUnsentKeys(), 101) << "counting is never held back";
}

TEST_F(FrameLimitedTrayTest, TheSendingPictureAndExplicitTextsShowAtOnceAndReplaceWhatWaits) {
    Press();
    Release();  // waits
    limited.SetIcon(kSending);
    limited.SetTooltipText("Sending keys...");
    EXPECT_EQ(shown.icons, (Icons{kHeld, kSending}));
    EXPECT_EQ(shown.tooltips, (std::vector<std::string>{"Sending keys..."}));
    EndFrame();
    EXPECT_EQ(shown.icons, (Icons{kHeld, kSending})) << "the waiting release is dropped";
    EXPECT_EQ(shown.tooltipUpdates, 1);

    // The end of the skeld.
    limited.UpdateTooltip();
    limited.SetIcon(kNormal);
    EXPECT_EQ(shown.icons, (Icons{kHeld, kSending, kNormal}));
    EXPECT_EQ(shown.tooltipUpdates, 2);
}

TEST(FrameLimitedTrayTimerTest, TheFrameTimersShowWhatWaits) {
    RecordingTray shown;
    FrameLimitedTray limited(shown);
    limited.SetIcon(kHeld);
    limited.SetIcon(kNormal);
    limited.UpdateTooltip();
    limited.UpdateTooltip();
    EXPECT_EQ(shown.icons, (Icons{kHeld}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.icons.size() == 2; }));
    EXPECT_EQ(shown.icons, (Icons{kHeld, kNormal}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.tooltipUpdates == 2; }));
}

}  // namespace
