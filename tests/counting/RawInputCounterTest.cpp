#include "counting/RawInputCounter.h"

#include <gtest/gtest.h>

#include <limits>

#include "counting/AccountState.h"
#include "counting/KeyFrequencyTable.h"
#include "counting/Preferences.h"
#include "support/RecordingPorts.h"

namespace {

using Icons = std::vector<TrayIconId>;
constexpr auto kNormal = TrayIconId::Normal;
constexpr auto kHeld = TrayIconId::Held;

class RawInputCounterTest : public ::testing::Test {
protected:
    void Key(std::uint16_t vk, std::uint32_t message) {
        counter.OnRawInput(RawInput::Key(vk, message));
    }
    void Press(std::uint16_t vk) { Key(vk, RawInput::kKeyDown); }
    void Release(std::uint16_t vk) { Key(vk, RawInput::kKeyUp); }
    void Buttons(std::uint16_t flags) { counter.OnRawInput(RawInput::Buttons(flags)); }

    AccountState account = AccountState::StartValues();
    Preferences preferences;
    KeyFrequencyTable frequencies;
    RecordingTray tray;
    RecordingSkeldRequests skelds;
    HeldKeys keys;
    RawInputCounter counter{account, preferences, frequencies, tray, skelds, keys};
};

TEST_F(RawInputCounterTest, AKeyCountsOnceAtItsRelease) {
    Press('A');
    Press('A');  // auto-repeat
    Press('A');
    EXPECT_EQ(account.GetUnsentKeys(), 0);
    EXPECT_FALSE(counter.CountsDirty);
    Release('A');

    EXPECT_EQ(account.GetUnsentKeys(), 1);
    EXPECT_EQ(account.TotalKeys, 1);
    EXPECT_EQ(account.KeysSinceLastReset, 1);
    EXPECT_EQ(frequencies.Entries().at('A'), 1);
    EXPECT_TRUE(counter.CountsDirty);
    EXPECT_EQ(tray.icons, (Icons{kHeld, kHeld, kHeld, kNormal}));
    EXPECT_EQ(tray.tooltipUpdates, 4);
    EXPECT_TRUE(skelds.requests.empty());
}

// The keys typed at a lock screen spell the user's password: counted, never tallied.
TEST_F(RawInputCounterTest, KeysReleasedWhileTheSessionIsLockedStayOutOfTheTally) {
    SwitchedLock lock;
    counter.WatchPrivateKeys(lock);
    Press('A');
    lock.Set(true);
    Release('A');  // pressed before the lock came on
    Press('B');
    Release('B');
    EXPECT_EQ(account.GetUnsentKeys(), 2);
    EXPECT_EQ(account.TotalKeys, 2);
    EXPECT_EQ(account.KeysSinceLastReset, 0);
    EXPECT_TRUE(frequencies.Entries().empty());

    lock.Set(false);
    Press('B');
    Release('B');
    EXPECT_EQ(account.GetUnsentKeys(), 3);
    EXPECT_EQ(account.KeysSinceLastReset, 1);
    EXPECT_EQ(frequencies.Entries().at('B'), 1);
}

// Totals taken over from the server or an edited file may already stand at the limit.
TEST_F(RawInputCounterTest, CountsAtTheLimitStayThere) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    account.TotalKeys = kMax;
    account.TotalClicks = kMax;
    account.KeysSinceLastReset = kMax;
    account.AddUnsentKeys(kMax);
    account.AddUnsentClicks(kMax);
    for (int i = 0; i < 2; ++i) {
        Release('A');
        Buttons(0x0001);
    }
    EXPECT_EQ(account.TotalKeys, kMax);
    EXPECT_EQ(account.TotalClicks, kMax);
    EXPECT_EQ(account.KeysSinceLastReset, kMax);
    EXPECT_EQ(account.GetUnsentKeys(), kMax);
    EXPECT_EQ(account.GetUnsentClicks(), kMax);
}

TEST_F(RawInputCounterTest, KeysThatNeverCount) {
    Release(0xFF);
    Key('A', RawInput::kSysKeyDown);
    Key('A', RawInput::kSysKeyUp);
    Key('A', 0x0102);  // a character message
    preferences.CountKeys = 0;
    Press('B');
    Release('B');

    EXPECT_EQ(account.GetUnsentKeys(), 0);
    EXPECT_EQ(account.TotalKeys, 0);
    EXPECT_FALSE(counter.CountsDirty);
    EXPECT_TRUE(tray.icons.empty());
    EXPECT_EQ(tray.tooltipUpdates, 0);
}

TEST_F(RawInputCounterTest, GenericModifiersResolveToTheSideHeldDown) {
    const struct {
        std::uint16_t generic;
        std::uint16_t leftKey;
        std::uint16_t whenLeftHeld;
        std::uint16_t otherwise;
    } cases[] = {{0x10, 0xA0, 0xA0, 0xA1}, {0x11, 0xA2, 0xA2, 0xA3}, {0x12, 0xA4, 0xA4, 0xA5}};
    for (const auto& c : cases) {
        frequencies.Clear();
        keys.held = {c.leftKey};
        Release(c.generic);
        keys.held = {};
        Release(c.generic);
        EXPECT_EQ(frequencies.Entries().at(c.whenLeftHeld), 1) << c.generic;
        EXPECT_EQ(frequencies.Entries().at(c.otherwise), 1) << c.generic;
        EXPECT_EQ(frequencies.Size(), 2u);
    }
    keys.held = {0xA0, 0xA2};
    Release(0xA1);  // already side-specific: stays as it is
    EXPECT_EQ(frequencies.Entries().at(0xA1), 1);
}

TEST_F(RawInputCounterTest, WithoutKeepFreqTheTallyIsLeftAlone) {
    preferences.KeepFreq = 0;
    Release('A');
    EXPECT_EQ(account.GetUnsentKeys(), 1);
    EXPECT_EQ(frequencies.Size(), 0u);
    EXPECT_EQ(account.KeysSinceLastReset, 0);
}

TEST_F(RawInputCounterTest, OneClickPerEventHoweverManyButtons) {
    const struct {
        std::uint16_t flags;
        int clicks;
        Icons icons;
        int tooltipUpdates;
    } cases[] = {
        {RawInput::kButton1Down, 1, {kHeld}, 0},
        {RawInput::kButton1Down | RawInput::kButton3Down, 1, {kHeld}, 0},
        {RawInput::kButton5Down, 1, {kHeld}, 0},
        {RawInput::kButton2Down | RawInput::kButton1Up, 1, {kHeld}, 0},  // no release step
        {RawInput::kButton1Up, 0, {kNormal}, 1},
        {RawInput::kButton5Up, 0, {kNormal}, 1},
        {RawInput::kButton4Up | RawInput::kButton2Up, 0, {kNormal}, 1},
        {0x0400, 0, {}, 0},  // a wheel report
        {0, 0, {}, 0},       // movement only
    };
    for (const auto& c : cases) {
        account = AccountState::StartValues();
        tray = RecordingTray();
        counter.CountsDirty = false;
        Buttons(c.flags);
        EXPECT_EQ(account.GetUnsentClicks(), c.clicks) << c.flags;
        EXPECT_EQ(account.TotalClicks, c.clicks) << c.flags;
        EXPECT_EQ(counter.CountsDirty, c.clicks > 0) << c.flags;
        EXPECT_EQ(tray.icons, c.icons) << c.flags;
        EXPECT_EQ(tray.tooltipUpdates, c.tooltipUpdates) << c.flags;
    }
}

TEST_F(RawInputCounterTest, ClicksAreIgnoredWhenNotCounted) {
    preferences.CountClicks = 0;
    Buttons(RawInput::kButton1Down);
    Buttons(RawInput::kButton1Up);
    EXPECT_EQ(account.GetUnsentClicks(), 0);
    EXPECT_TRUE(tray.icons.empty());
    EXPECT_EQ(tray.tooltipUpdates, 0);
}

TEST_F(RawInputCounterTest, WithoutBlinkTrayOnlyTheReleasesTouchTheIcon) {
    preferences.BlinkTray = 0;
    Press('A');
    Release('A');
    Buttons(RawInput::kButton1Down);
    Buttons(RawInput::kButton1Up);
    EXPECT_EQ(tray.icons, (Icons{kNormal}));  // the button release alone
    EXPECT_EQ(account.GetUnsentKeys(), 1);
    EXPECT_EQ(account.GetUnsentClicks(), 1);
}

TEST_F(RawInputCounterTest, DuringASkeldCountingGoesOnWithoutIconChanges) {
    account.SkeldInProgress = 1;
    Press('A');
    Release('A');
    Buttons(RawInput::kButton1Down);
    Buttons(RawInput::kButton1Up);
    EXPECT_TRUE(tray.icons.empty());
    EXPECT_EQ(account.GetUnsentKeys(), 1);
    EXPECT_EQ(account.GetUnsentClicks(), 1);
    EXPECT_EQ(tray.tooltipUpdates, 3);
}

TEST_F(RawInputCounterTest, ThresholdsRequestSkeldsUntilTheCountIsReset) {
    preferences.SkeldEvery = 250;
    preferences.SkeldEveryClicks = 3;
    for (int i = 0; i < 249; ++i) {
        Release('K');
    }
    EXPECT_TRUE(skelds.requests.empty());
    Release('K');
    Release('K');
    EXPECT_EQ(skelds.requests, (std::vector<bool>{true, true}));  // keys: manual

    skelds.requests.clear();
    for (int i = 0; i < 4; ++i) {
        Buttons(RawInput::kButton1Down);
    }
    EXPECT_EQ(skelds.requests, (std::vector<bool>{false, false}));  // clicks: automatic

    skelds.requests.clear();
    account.ResetUnsentKeys();
    account.ResetUnsentClicks();
    Release('K');
    Buttons(RawInput::kButton1Down);
    EXPECT_TRUE(skelds.requests.empty());
}

TEST_F(RawInputCounterTest, OtherRecordTypesAreIgnored) {
    RawInput hid = RawInput::Key('A', RawInput::kKeyUp);
    hid.header.dwType = 2;
    counter.OnRawInput(hid);
    EXPECT_EQ(account.GetUnsentKeys(), 0);
    EXPECT_FALSE(counter.CountsDirty);
}

}  // namespace
