#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "counting/Preferences.h"
#include "geek/GeekSkin.h"

// What the preferences pages hold while the dialog is open: flags 0/1, radio indexes, and the
// three timer limits as the user typed them.
struct SettingsPages {
    // "Program Settings"
    std::int32_t LoadAtWinStartup = 0, ShowSplash = 0, UseHotKey = 0, DoubleClickTray = 0,
                 CheckUpdatesStartup = 0, RetimeFromManualSkeld = 0, BlinkTray = 0, UseBalloons = 0,
                 GeekStart = 0, IconRefresh = 0;
    std::string SkeldEveryHours, SkeldEvery, SkeldEveryClicks;
    // "Program Settings #2"
    std::int32_t DistanceType = 0, CheckForUpdates = 0, ShowNoPopups = 0, GenXML = 0, KeepFreq = 0,
                 PortableMode = 0, CountKeys = 0, CountClicks = 0, Distance = 0;
    // "Proxy Settings"
    std::int32_t ProxyUse = 0, ProxyAuth = 0;
    std::string ProxyHost, ProxyUser, ProxyPass;
    std::uint32_t ProxyPort = 0;
    // "Geek Window Skin" (the text positions are not here: the X&Y dialog writes them itself)
    GeekSkin::Values Skin;

    static SettingsPages From(const Preferences& prefs);
};

// Which proxy fields may be edited, from the two proxy boxes.
struct ProxyEditable {
    bool HostAndPort;
    bool UserAndPassword;
    static ProxyEditable For(std::int32_t useProxy, std::int32_t useAuthentication);
};

// The effects of saving the preferences outside the record itself.
struct SettingsEffects {
    std::function<void(std::int32_t on)> SetAutostart;
    std::function<void(bool on)> SetHotKey;
    std::function<void()> StartTemplateOutputTimer;
    std::function<void()> SaveAll;
    std::function<void()> ShowNormalTrayIcon;
    std::filesystem::path PortableMarker;
};

// Carries the pages back into the preferences after "Save", in the order the effects depend
// on, and returns the limit messages to show once the dialog has closed.
class SettingsApply {
public:
    static constexpr const char* KeysMessage =
        "The skeld every x keys cannot be under 250, I'm resetting it to 250.";
    static constexpr const char* ClicksMessage =
        "The skeld every x clicks cannot be a value under 250, I'm resetting it to 250.";
    static constexpr const char* HoursMessage =
        "The skeld every x hours cannot be a value under 0, I'm resetting it to 0.";

    struct Outcome {
        std::vector<std::string> Messages;  // limit messages, then a portable failure if any
        bool SkipNextDueCheck = false;
    };

    static Outcome Apply(const SettingsPages& pages, Preferences& prefs,
                         const SettingsEffects& effects);

private:
    // Creates or deletes the marker; an empty text on success, else why it failed.
    static std::string SwitchPortable(bool on, const std::filesystem::path& marker);
};
