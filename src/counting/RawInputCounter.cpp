#include "counting/RawInputCounter.h"

#include "counting/AccountState.h"
#include "counting/KeyFrequencyTable.h"
#include "counting/Preferences.h"
#include "counting/SaturatingCount.h"
#include "ports/KeyStatePort.h"
#include "ports/PrivateKeysPort.h"
#include "ports/SkeldRequestPort.h"
#include "ports/TrayIconPort.h"

namespace {

constexpr std::uint16_t kIgnoredKey = 0xFF;
constexpr std::uint16_t kAnyButtonDown = 0x0055;
constexpr std::uint16_t kAnyButtonUp = 0x00AA;

}  // namespace

RawInputCounter::RawInputCounter(AccountState& account, const Preferences& preferences,
                                 KeyFrequencyTable& frequencies, TrayIconPort& tray,
                                 SkeldRequestPort& skelds, KeyStatePort& keyState)
    : account_(account),
      preferences_(preferences),
      frequencies_(frequencies),
      tray_(tray),
      skelds_(skelds),
      keyState_(keyState) {}

void RawInputCounter::OnRawInput(const RawInput& input) {
    switch (input.header.dwType) {
        case RawInput::kTypeKeyboard:
            OnKeyboard(input.keyboard);
            break;
        case RawInput::kTypeMouse:
            OnMouse(input.mouse);
            break;
        default:
            break;
    }
}

std::uint16_t RawInputCounter::ResolveSide(std::uint16_t virtualKey, KeyStatePort& keyState) {
    switch (virtualKey) {
        case 0x10:  // Shift: left 0xA0, right 0xA1
            return keyState.IsKeyDown(0xA0) ? 0xA0 : 0xA1;
        case 0x11:  // Ctrl: left 0xA2, right 0xA3
            return keyState.IsKeyDown(0xA2) ? 0xA2 : 0xA3;
        case 0x12:  // Alt: left 0xA4, right 0xA5
            return keyState.IsKeyDown(0xA4) ? 0xA4 : 0xA5;
        default:
            return virtualKey;
    }
}

void RawInputCounter::OnKeyboard(const RawInput::Keyboard& keyboard) {
    if (preferences_.CountKeys == 0 || keyboard.VKey == kIgnoredKey) {
        return;
    }
    if (keyboard.Message == RawInput::kKeyUp) {
        if (preferences_.BlinkTray != 0 && account_.SkeldInProgress == 0) {
            tray_.SetIcon(TrayIconId::Normal);
        }
        CountsDirty = true;
        const std::uint16_t code = ResolveSide(keyboard.VKey, keyState_);
        account_.AddUnsentKeys(1);
        CountOne(account_.TotalKeys);
        tray_.UpdateTooltip();
        const bool keyIsPrivate = privateKeys_ != nullptr && privateKeys_->KeysArePrivate();
        if (preferences_.KeepFreq != 0 && !keyIsPrivate) {
            frequencies_.Increment(code);
            CountOne(account_.KeysSinceLastReset);
        }
        if (preferences_.SkeldEvery != 0 && account_.GetUnsentKeys() >= preferences_.SkeldEvery) {
            skelds_.RequestSkeld(true);
        }
    } else if (keyboard.Message == RawInput::kKeyDown && preferences_.BlinkTray != 0) {
        tray_.UpdateTooltip();
        if (account_.SkeldInProgress == 0) {
            tray_.SetIcon(TrayIconId::Held);
        }
    }
}

void RawInputCounter::OnMouse(const RawInput::Mouse& mouse) {
    const std::uint16_t flags = mouse.usButtonFlags;
    const bool wentDown = (flags & kAnyButtonDown) != 0 || (flags & RawInput::kButton5Down) != 0;
    const bool wentUp = (flags & kAnyButtonUp) != 0 || (flags & RawInput::kButton5Up) != 0;
    if (preferences_.CountClicks == 0) {
        return;
    }
    if (wentDown) {
        CountsDirty = true;
        account_.AddUnsentClicks(1);
        CountOne(account_.TotalClicks);
        if (account_.SkeldInProgress == 0 && preferences_.BlinkTray != 0) {
            tray_.SetIcon(TrayIconId::Held);
        }
        if (preferences_.SkeldEveryClicks != 0 &&
            account_.GetUnsentClicks() >= preferences_.SkeldEveryClicks) {
            skelds_.RequestSkeld(false);
        }
    } else if (wentUp) {
        tray_.UpdateTooltip();
        if (account_.SkeldInProgress == 0) {
            tray_.SetIcon(TrayIconId::Normal);
        }
    }
}
