#include "persistence/OlderClientMigration.h"

#include <array>
#include <cstdint>
#include <string>

#include "persistence/SettingsStore.h"
#include "persistence/TypedStore.h"
#include "ports/UserPort.h"

namespace {

constexpr std::array<MigrationEntry, 74> Entries = {{
    {MigrationType::Int, "Geek Window Skin", "GeekBGb", "GeekBGb"},
    {MigrationType::Int, "Geek Window Skin", "GeekBGg", "GeekBGg"},
    {MigrationType::Int, "Geek Window Skin", "GeekBGr", "GeekBGr"},
    {MigrationType::Int, "Geek Window Skin", "GeekFb", "GeekFb"},
    {MigrationType::Int, "Geek Window Skin", "GeekFg", "GeekFg"},
    {MigrationType::Int, "Geek Window Skin", "GeekFr", "GeekFr"},
    {MigrationType::Int, "Geek Window Skin", "GeekHeight", "GeekHeight"},
    {MigrationType::Int, "Geek Window Skin", "GeekLastX", "GeekLastX"},
    {MigrationType::Int, "Geek Window Skin", "GeekLastY", "GeekLastY"},
    {MigrationType::Int, "Geek Window Skin", "GeekTrans", "GeekTrans"},
    {MigrationType::Int, "Geek Window Skin", "GeekVb", "GeekVb"},
    {MigrationType::Int, "Geek Window Skin", "GeekVg", "GeekVg"},
    {MigrationType::Int, "Geek Window Skin", "GeekViewNP", "GeekViewNP"},
    {MigrationType::Int, "Geek Window Skin", "GeekVr", "GeekVr"},
    {MigrationType::Int, "Geek Window Skin", "GeekWidth", "GeekWidth"},
    {MigrationType::Int, "Geek Window Skin", "keycount_X", "keycount_X"},
    {MigrationType::Int, "Geek Window Skin", "keycount_Y", "keycount_Y"},
    {MigrationType::Int, "Geek Window Skin", "lastkeys_X", "lastkeys_X"},
    {MigrationType::Int, "Geek Window Skin", "lastkeys_Y", "lastkeys_Y"},
    {MigrationType::Int, "Geek Window Skin", "meters_X", "meters_X"},
    {MigrationType::Int, "Geek Window Skin", "meters_Y", "meters_Y"},
    {MigrationType::Int, "Geek Window Skin", "mousecount_X", "mousecount_X"},
    {MigrationType::Int, "Geek Window Skin", "mousecount_Y", "mousecount_Y"},
    {MigrationType::Int, "Geek Window Skin", "rank_X", "rank_X"},
    {MigrationType::Int, "Geek Window Skin", "rank_Y", "rank_Y"},
    {MigrationType::String, "Geek Window Skin", "SkinName", "SkinName"},
    {MigrationType::Int, "Geek Window Skin", "timenextskeld_X", "timenextskeld_X"},
    {MigrationType::Int, "Geek Window Skin", "timenextskeld_Y", "timenextskeld_Y"},
    {MigrationType::Int, "Geek Window Skin", "totalkeys_X", "totalkeys_X"},
    {MigrationType::Int, "Geek Window Skin", "totalkeys_Y", "totalkeys_Y"},
    {MigrationType::Int, "Geek Window Skin", "totalmouse_X", "totalmouse_X"},
    {MigrationType::Int, "Geek Window Skin", "totalmouse_Y", "totalmouse_Y"},
    {MigrationType::Int, "Preferences", "bBlinkTray", "BlinkTray"},
    {MigrationType::Int, "Preferences", "rCheckForUpdates", "CheckForUpdates"},
    {MigrationType::Int, "Preferences", "bCheckUpdatesStartup", "CheckUpdatesStartup"},
    {MigrationType::Int, "Preferences", "bCountClicks", "CountClicks"},
    {MigrationType::Int, "Preferences", "bCountKeys", "CountKeys"},
    {MigrationType::Int, "Preferences", "bDistance", "Distance"},
    {MigrationType::Int, "Preferences", "rDistanceType", "DistanceType"},
    {MigrationType::Int, "Preferences", "bDoubleClickTray", "DoubleClickTray"},
    {MigrationType::Int, "Preferences", "bGeekStart", "GeekStart"},
    {MigrationType::Int, "Preferences", "bGenXML", "GenXML"},
    {MigrationType::Int, "Preferences", "bKeepFreq", "KeepFreq"},
    {MigrationType::Int, "Preferences", "bLoadAtWinStartup", "LoadAtWinStartup"},
    {MigrationType::Int, "Preferences", "bSkeldEvery", "SkeldEvery"},
    {MigrationType::Int, "Preferences", "bSkeldEveryClicks", "SkeldEveryClicks"},
    {MigrationType::Int, "Preferences", "bSkeldEveryHours", "SkeldEveryHours"},
    {MigrationType::Int, "Preferences", "bSkeldingEnabled", "SkeldingEnabled"},
    {MigrationType::Int, "Preferences", "bRetimeFromManualSkeld", "RetimeFromManualSkeld"},
    {MigrationType::Int, "Preferences", "bShowNoPopups", "ShowNoPopups"},
    {MigrationType::Int, "Preferences", "bShowSplash", "ShowSplash"},
    {MigrationType::Int, "Preferences", "bUseBalloons", "UseBalloons"},
    {MigrationType::Int, "Preferences", "bUseHotKey", "UseHotKey"},
    {MigrationType::Int, "Preferences", "SkeldEvery", "SkeldEvery"},
    {MigrationType::Int, "Preferences", "SkeldEveryClicks", "SkeldEveryClicks"},
    {MigrationType::Int, "Preferences", "SkeldEveryHours", "SkeldEveryHours"},
    {MigrationType::Int, "Program Data", "LastSkeld", "LastSkeld"},
    {MigrationType::Int, "Program Data", "LastReset", "LastReset"},
    {MigrationType::Int, "Program Data", "NewAccount", "NewAccount"},
    {MigrationType::Int, "Program Data", "secondsTillSkeld", "SecondsTilSkeld"},
    {MigrationType::Int, "Proxy", "ProxyAuth", "ProxyAuth"},
    {MigrationType::String, "Proxy", "ProxyHost", "ProxyHost"},
    {MigrationType::String, "Proxy", "ProxyPass", "ProxyPass"},
    {MigrationType::Int, "Proxy", "ProxyPort", "ProxyPort"},
    {MigrationType::Int, "Proxy", "ProxyUse", "ProxyUse"},
    {MigrationType::String, "Proxy", "ProxyUser", "ProxyUser"},
    {MigrationType::String, "User", "Email", "Email"},
    {MigrationType::Int, "User", "KeysLastSkeld", "KeysLastSkeld"},
    {MigrationType::Int, "User", "KeysSinceLastReset", "KeysSinceLastReset"},
    {MigrationType::Int, "User", "Rank", "Rank"},
    {MigrationType::String, "User", "Token", "Token"},
    {MigrationType::Int, "User", "TotalClicks", "TotalClicks"},
    {MigrationType::Int, "User", "TotalKeys", "TotalKeys"},
    {MigrationType::Int, "User", "UserID", "UserID"},
}};

}  // namespace

std::span<const MigrationEntry> OlderClientMigration::Table() {
    return Entries;
}

bool OlderClientMigration::Run(TypedStore& store, UserPort& user) {
    if (!store.KeyExists(OldKeyPath)) {
        return false;
    }
    for (const MigrationEntry& entry : Entries) {
        const std::string newKeyPath = SettingsStore::KeyPath(entry.Section);
        if (entry.Type == MigrationType::Int) {
            std::int32_t value = 0;
            store.ReadInt(OldKeyPath, entry.OldName, value);
            store.WriteInt(newKeyPath, entry.NewName, value);
        } else {
            std::string value;
            store.ReadText(OldKeyPath, entry.OldName, value);
            store.WriteText(newKeyPath, entry.NewName, value);
        }
    }
    store.DeleteKey(OldKeyPath);
    // Only a conversion that reached the disk is announced; otherwise the old key is still
    // there and the next start tries again.
    if (!store.Flush()) {
        return false;
    }
    user.ShowMessage(std::string(ConvertedMessage));
    return true;
}
