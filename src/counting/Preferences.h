#pragma once

#include <cstdint>
#include <string>

#include "counting/SharedValue.h"

// Every setting that is not account data, named after its settings key, with the values the
// record holds after the start-up reset. Flags hold 0 or 1.
struct Preferences {
    // "Preferences"
    std::int32_t DoubleClickTray = 1;
    std::int32_t UseBalloons = 1;
    std::int32_t CheckUpdatesStartup = 1;
    SharedValue<std::int32_t> Distance = 1;  // also read by the mouse thread
    std::int32_t CountClicks = 1;
    std::int32_t CountKeys = 1;
    std::int32_t GenXML = 0;
    std::int32_t RetimeFromManualSkeld = 1;
    std::int32_t LoadAtWinStartup = 1;
    std::int32_t SkeldingEnabled = 1;
    std::int32_t ShowSplash = 1;
    std::int32_t GeekStart = 0;
    std::int32_t IconRefresh = 0;
    std::int32_t UseHotKey = 0;
    std::int32_t BlinkTray = 1;
    std::int32_t KeepFreq = 1;
    std::int32_t ShowNoPopups = 0;
    std::int32_t SkeldEvery = 0;
    std::int32_t SkeldEveryClicks = 0;
    std::int32_t SkeldEveryHours = 0;
    std::int32_t DistanceType = 1;
    std::int32_t CheckForUpdates = 1;

    // "Geek Window Skin"
    std::int32_t GeekTrans = 0;
    std::int32_t GeekLastX = 0;
    std::int32_t GeekLastY = 0;
    std::int32_t GeekViewNP = 1;
    std::int32_t GeekBGr = 0;
    std::int32_t GeekBGg = 0;
    std::int32_t GeekBGb = 0;
    std::int32_t GeekFr = 0;
    std::int32_t GeekFg = 0;
    std::int32_t GeekFb = 0;
    std::int32_t GeekVr = 0;
    std::int32_t GeekVg = 0;
    std::int32_t GeekVb = 0;
    std::int32_t GeekHeight = 98;
    std::int32_t GeekWidth = 200;
    std::string SkinName = "Default";
    std::int32_t keycount_X = 0;
    std::int32_t keycount_Y = 0;
    std::int32_t mousecount_X = 0;
    std::int32_t mousecount_Y = 0;
    std::int32_t rank_X = 0;
    std::int32_t rank_Y = 0;
    std::int32_t meters_X = 0;
    std::int32_t meters_Y = 0;
    std::int32_t totalkeys_X = 0;
    std::int32_t totalkeys_Y = 0;
    std::int32_t totalmouse_X = 0;
    std::int32_t totalmouse_Y = 0;
    std::int32_t lastkeys_X = 0;
    std::int32_t lastkeys_Y = 0;
    std::int32_t timenextskeld_X = 0;
    std::int32_t timenextskeld_Y = 0;

    // "Proxy"
    std::string ProxyHost;
    std::string ProxyUser;
    std::string ProxyPass;  // kept as plain text
    std::int32_t ProxyPort = 0;
    std::int32_t ProxyUse = 0;
    std::int32_t ProxyAuth = 0;

    // Decided by the marker file beside the program, never stored as a setting.
    bool PortableMode = false;

    // The values a newly set-up account starts with. The proxy settings come from the setup
    // assistant and PortableMode from the marker file, so both are left as they are.
    void ApplyNewAccountValues();
};
