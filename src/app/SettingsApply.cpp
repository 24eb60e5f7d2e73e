#include "app/SettingsApply.h"

#include <fstream>
#include <system_error>

#include "persistence/SettingsNumbers.h"

SettingsPages SettingsPages::From(const Preferences& p) {
    SettingsPages s;
    s.LoadAtWinStartup = p.LoadAtWinStartup;
    s.ShowSplash = p.ShowSplash;
    s.UseHotKey = p.UseHotKey;
    s.DoubleClickTray = p.DoubleClickTray;
    s.CheckUpdatesStartup = p.CheckUpdatesStartup;
    s.RetimeFromManualSkeld = p.RetimeFromManualSkeld;
    s.BlinkTray = p.BlinkTray;
    s.UseBalloons = p.UseBalloons;
    s.GeekStart = p.GeekStart;
    s.IconRefresh = p.IconRefresh;
    s.SkeldEveryHours = std::to_string(p.SkeldEveryHours);
    s.SkeldEvery = std::to_string(p.SkeldEvery);
    s.SkeldEveryClicks = std::to_string(p.SkeldEveryClicks);
    s.DistanceType = p.DistanceType;
    s.CheckForUpdates = p.CheckForUpdates;
    s.ShowNoPopups = p.ShowNoPopups;
    s.GenXML = p.GenXML;
    s.KeepFreq = p.KeepFreq;
    s.PortableMode = p.PortableMode ? 1 : 0;
    s.CountKeys = p.CountKeys;
    s.CountClicks = p.CountClicks;
    s.Distance = p.Distance.Load();
    s.ProxyUse = p.ProxyUse;
    s.ProxyAuth = p.ProxyAuth;
    s.ProxyHost = p.ProxyHost;
    s.ProxyUser = p.ProxyUser;
    s.ProxyPass = p.ProxyPass;
    s.ProxyPort = static_cast<std::uint32_t>(p.ProxyPort);
    s.Skin = GeekSkin::Values::From(p);
    return s;
}

ProxyEditable ProxyEditable::For(std::int32_t useProxy, std::int32_t useAuthentication) {
    return {useProxy != 0, useProxy != 0 && useAuthentication != 0};
}

SettingsApply::Outcome SettingsApply::Apply(const SettingsPages& pages, Preferences& prefs,
                                            const SettingsEffects& effects) {
    Outcome out;
    prefs.ProxyHost = pages.ProxyHost;
    prefs.ProxyUser = pages.ProxyUser;
    prefs.ProxyPass = pages.ProxyPass;
    prefs.ProxyPort = static_cast<std::int32_t>(pages.ProxyPort);
    prefs.ProxyUse = pages.ProxyUse;
    prefs.ProxyAuth = pages.ProxyAuth;

    if ((pages.LoadAtWinStartup != 0) != (prefs.LoadAtWinStartup != 0)) {
        effects.SetAutostart(pages.LoadAtWinStartup != 0 ? 1 : 0);
    }
    prefs.LoadAtWinStartup = pages.LoadAtWinStartup;
    prefs.RetimeFromManualSkeld = pages.RetimeFromManualSkeld;

    if ((pages.UseHotKey != 0) != (prefs.UseHotKey != 0)) {
        effects.SetHotKey(pages.UseHotKey != 0);
    }
    prefs.UseHotKey = pages.UseHotKey;

    prefs.ShowSplash = pages.ShowSplash;
    prefs.BlinkTray = pages.BlinkTray;
    prefs.CheckUpdatesStartup = pages.CheckUpdatesStartup;
    prefs.DoubleClickTray = pages.DoubleClickTray;
    prefs.UseBalloons = pages.UseBalloons;
    prefs.GeekStart = pages.GeekStart;
    prefs.IconRefresh = pages.IconRefresh;

    prefs.SkeldEvery = SettingsNumbers::LeadingInt(pages.SkeldEvery);
    prefs.SkeldEveryClicks = SettingsNumbers::LeadingInt(pages.SkeldEveryClicks);
    prefs.SkeldEveryHours = SettingsNumbers::LeadingInt(pages.SkeldEveryHours);
    if (prefs.SkeldEvery != 0 && prefs.SkeldEvery < 250) {
        out.Messages.emplace_back(KeysMessage);
        prefs.SkeldEvery = 250;
    }
    if (prefs.SkeldEveryClicks != 0 && prefs.SkeldEveryClicks < 250) {
        out.Messages.emplace_back(ClicksMessage);
        prefs.SkeldEveryClicks = 250;
    }
    if (prefs.SkeldEveryHours < 0) {
        out.Messages.emplace_back(HoursMessage);
        prefs.SkeldEveryHours = 0;
    }
    if (prefs.SkeldEveryHours != 0) {
        prefs.SkeldingEnabled = 1;
        out.SkipNextDueCheck = true;
    } else {
        prefs.SkeldingEnabled = 0;
    }

    // The Geek Window takes the colours at its next opening, the size and flag too.
    pages.Skin.ApplyTo(prefs);

    // Without a marker the data would go to a folder the program cannot write, so a failed
    // switch keeps the previous mode and says why.
    bool portable = prefs.PortableMode;
    if ((pages.PortableMode != 0) != prefs.PortableMode) {
        const std::string failure = SwitchPortable(pages.PortableMode != 0, effects.PortableMarker);
        if (failure.empty()) {
            portable = pages.PortableMode != 0;
        } else {
            out.Messages.push_back(failure);
        }
    }

    const bool xmlTurnedOn = prefs.GenXML == 0 && pages.GenXML != 0;
    prefs.DistanceType = pages.DistanceType;
    prefs.ShowNoPopups = pages.ShowNoPopups;
    prefs.CheckForUpdates = pages.CheckForUpdates;
    prefs.CountKeys = pages.CountKeys;
    prefs.CountClicks = pages.CountClicks;
    prefs.Distance.Store(pages.Distance);
    prefs.GenXML = pages.GenXML;
    prefs.PortableMode = portable;
    prefs.KeepFreq = pages.KeepFreq;

    if (xmlTurnedOn) {
        effects.StartTemplateOutputTimer();
    }
    effects.SaveAll();
    effects.ShowNormalTrayIcon();
    return out;
}

std::string SettingsApply::SwitchPortable(bool on, const std::filesystem::path& marker) {
    if (on) {
        std::ofstream file(marker, std::ios::binary | std::ios::trunc);
        file << "yes!";
        file.close();
        if (!file) {
            return "Kestrovin could not create " + marker.string() +
                   ", so it stays in its current mode.\n\n"
                   "Portable mode needs a program folder Kestrovin may write to.";
        }
        return {};
    }
    std::error_code error;
    std::filesystem::remove(marker, error);
    if (error) {
        return "Kestrovin could not delete " + marker.string() + " (" + error.message() +
               "), so it stays in portable mode.";
    }
    return {};
}
