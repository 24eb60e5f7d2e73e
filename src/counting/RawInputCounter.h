#pragma once

#include "ports/RawInput.h"

struct AccountState;
struct Preferences;
class KeyFrequencyTable;
class KeyStatePort;
class PrivateKeysPort;
class SkeldRequestPort;
class TrayIconPort;

// Turns raw keyboard and mouse-button events into keystrokes and clicks: counts them, tallies
// keys, gives tray feedback and asks for a skeld when a threshold is reached.
class RawInputCounter {
public:
    RawInputCounter(AccountState& account, const Preferences& preferences,
                    KeyFrequencyTable& frequencies, TrayIconPort& tray, SkeldRequestPort& skelds,
                    KeyStatePort& keyState);

    void OnRawInput(const RawInput& input);

    // From now on, keys released while `privateKeys` says they are private count as keystrokes
    // but are left out of the per-key tally, and so of the count since the tally's last reset,
    // which is the tally's total.
    void WatchPrivateKeys(const PrivateKeysPort& privateKeys) { privateKeys_ = &privateKeys; }

    // Set whenever something was counted, so the periodic save knows there is work.
    bool CountsDirty = false;

    // The side-specific code for the generic Shift, Ctrl and Alt codes.
    static std::uint16_t ResolveSide(std::uint16_t virtualKey, KeyStatePort& keyState);

private:
    void OnKeyboard(const RawInput::Keyboard& keyboard);
    void OnMouse(const RawInput::Mouse& mouse);

    AccountState& account_;
    const Preferences& preferences_;
    KeyFrequencyTable& frequencies_;
    TrayIconPort& tray_;
    SkeldRequestPort& skelds_;
    KeyStatePort& keyState_;
    const PrivateKeysPort* privateKeys_ = nullptr;
};
