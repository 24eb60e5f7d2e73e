#include "persistence/SettingsKeyTable.h"

#include <array>

namespace {

constexpr std::array<SettingsKey, 73> Keys = {{
    {"User", "TotalClicks", SettingKind::Integer, &AccountState::TotalClicks},
    {"User", "TotalMiles", SettingKind::Real, &AccountState::TotalMiles},
    {"User", "TotalKeys", SettingKind::Integer, &AccountState::TotalKeys},
    {"User", "UserID", SettingKind::Integer, &AccountState::UserID},
    {"User", "Email", SettingKind::Text, &AccountState::Email},
    {"User", "Rank", SettingKind::Integer, &AccountState::Rank},
    {"User", "KeysLastSkeld", SettingKind::Integer, &AccountState::KeysLastSkeld},
    {"User", "KeysSinceLastReset", SettingKind::Integer, &AccountState::KeysSinceLastReset},
    {"Preferences", "DoubleClickTray", SettingKind::Integer, &Preferences::DoubleClickTray},
    {"Preferences", "UseBalloons", SettingKind::Integer, &Preferences::UseBalloons},
    {"Preferences", "CheckUpdatesStartup", SettingKind::Integer, &Preferences::CheckUpdatesStartup},
    {"Preferences", "Distance", SettingKind::Integer, &Preferences::Distance},
    {"Preferences", "CountClicks", SettingKind::Integer, &Preferences::CountClicks},
    {"Preferences", "CountKeys", SettingKind::Integer, &Preferences::CountKeys},
    {"Preferences", "GenXML", SettingKind::Integer, &Preferences::GenXML},
    {"Preferences", "RetimeFromManualSkeld", SettingKind::Integer,
     &Preferences::RetimeFromManualSkeld},
    {"Preferences", "LoadAtWinStartup", SettingKind::Integer, &Preferences::LoadAtWinStartup},
    {"Preferences", "SkeldingEnabled", SettingKind::Integer, &Preferences::SkeldingEnabled},
    {"Preferences", "ShowSplash", SettingKind::Integer, &Preferences::ShowSplash},
    {"Preferences", "GeekStart", SettingKind::Integer, &Preferences::GeekStart},
    {"Preferences", "IconRefresh", SettingKind::Integer, &Preferences::IconRefresh},
    {"Preferences", "UseHotKey", SettingKind::Integer, &Preferences::UseHotKey},
    {"Preferences", "BlinkTray", SettingKind::Integer, &Preferences::BlinkTray},
    {"Preferences", "KeepFreq", SettingKind::Integer, &Preferences::KeepFreq},
    {"Preferences", "ShowNoPopups", SettingKind::Integer, &Preferences::ShowNoPopups},
    {"Preferences", "SkeldEvery", SettingKind::Integer, &Preferences::SkeldEvery},
    {"Preferences", "SkeldEveryClicks", SettingKind::Integer, &Preferences::SkeldEveryClicks},
    {"Preferences", "SkeldEveryHours", SettingKind::Integer, &Preferences::SkeldEveryHours},
    {"Preferences", "DistanceType", SettingKind::Integer, &Preferences::DistanceType},
    {"Preferences", "CheckForUpdates", SettingKind::Integer, &Preferences::CheckForUpdates},
    {"Geek Window Skin", "GeekTrans", SettingKind::Integer, &Preferences::GeekTrans},
    {"Geek Window Skin", "GeekLastX", SettingKind::Integer, &Preferences::GeekLastX},
    {"Geek Window Skin", "GeekLastY", SettingKind::Integer, &Preferences::GeekLastY},
    {"Geek Window Skin", "GeekViewNP", SettingKind::Integer, &Preferences::GeekViewNP},
    {"Geek Window Skin", "GeekBGr", SettingKind::Integer, &Preferences::GeekBGr},
    {"Geek Window Skin", "GeekBGg", SettingKind::Integer, &Preferences::GeekBGg},
    {"Geek Window Skin", "GeekBGb", SettingKind::Integer, &Preferences::GeekBGb},
    {"Geek Window Skin", "GeekFr", SettingKind::Integer, &Preferences::GeekFr},
    {"Geek Window Skin", "GeekFg", SettingKind::Integer, &Preferences::GeekFg},
    {"Geek Window Skin", "GeekFb", SettingKind::Integer, &Preferences::GeekFb},
    {"Geek Window Skin", "GeekVr", SettingKind::Integer, &Preferences::GeekVr},
    {"Geek Window Skin", "GeekVg", SettingKind::Integer, &Preferences::GeekVg},
    {"Geek Window Skin", "GeekVb", SettingKind::Integer, &Preferences::GeekVb},
    {"Geek Window Skin", "GeekHeight", SettingKind::Integer, &Preferences::GeekHeight},
    {"Geek Window Skin", "GeekWidth", SettingKind::Integer, &Preferences::GeekWidth},
    {"Geek Window Skin", "SkinName", SettingKind::Text, &Preferences::SkinName},
    {"Geek Window Skin", "keycount_X", SettingKind::Integer, &Preferences::keycount_X},
    {"Geek Window Skin", "keycount_Y", SettingKind::Integer, &Preferences::keycount_Y},
    {"Geek Window Skin", "mousecount_X", SettingKind::Integer, &Preferences::mousecount_X},
    {"Geek Window Skin", "mousecount_Y", SettingKind::Integer, &Preferences::mousecount_Y},
    {"Geek Window Skin", "rank_X", SettingKind::Integer, &Preferences::rank_X},
    {"Geek Window Skin", "rank_Y", SettingKind::Integer, &Preferences::rank_Y},
    {"Geek Window Skin", "meters_X", SettingKind::Integer, &Preferences::meters_X},
    {"Geek Window Skin", "meters_Y", SettingKind::Integer, &Preferences::meters_Y},
    {"Geek Window Skin", "totalkeys_X", SettingKind::Integer, &Preferences::totalkeys_X},
    {"Geek Window Skin", "totalkeys_Y", SettingKind::Integer, &Preferences::totalkeys_Y},
    {"Geek Window Skin", "totalmouse_X", SettingKind::Integer, &Preferences::totalmouse_X},
    {"Geek Window Skin", "totalmouse_Y", SettingKind::Integer, &Preferences::totalmouse_Y},
    {"Geek Window Skin", "lastkeys_X", SettingKind::Integer, &Preferences::lastkeys_X},
    {"Geek Window Skin", "lastkeys_Y", SettingKind::Integer, &Preferences::lastkeys_Y},
    {"Geek Window Skin", "timenextskeld_X", SettingKind::Integer, &Preferences::timenextskeld_X},
    {"Geek Window Skin", "timenextskeld_Y", SettingKind::Integer, &Preferences::timenextskeld_Y},
    {"Proxy", "ProxyHost", SettingKind::Text, &Preferences::ProxyHost},
    {"Proxy", "ProxyUser", SettingKind::Text, &Preferences::ProxyUser},
    {"Proxy", "ProxyPass", SettingKind::Text, &Preferences::ProxyPass},
    {"Proxy", "ProxyPort", SettingKind::Integer, &Preferences::ProxyPort},
    {"Proxy", "ProxyUse", SettingKind::Integer, &Preferences::ProxyUse},
    {"Proxy", "ProxyAuth", SettingKind::Integer, &Preferences::ProxyAuth},
    {"Program Data", "NewAccount", SettingKind::Integer, &AccountState::NewAccount},
    {"Program Data", "SecondsTilSkeld", SettingKind::Integer, &AccountState::SecondsTilSkeld},
    {"Program Data", "tLastSkeld", SettingKind::Integer, &AccountState::tLastSkeld},
    {"Program Data", "LastSkeld", SettingKind::Integer, &AccountState::LastSkeld},
    {"Program Data", "LastReset", SettingKind::Integer, &AccountState::LastReset},
}};

constexpr SettingKind KindOf(const SettingField& field) {
    if (std::holds_alternative<std::string AccountState::*>(field) ||
        std::holds_alternative<std::string Preferences::*>(field)) {
        return SettingKind::Text;
    }
    if (std::holds_alternative<double AccountState::*>(field)) {
        return SettingKind::Real;
    }
    return SettingKind::Integer;
}

constexpr bool KindsMatchFields() {
    for (const SettingsKey& key : Keys) {
        if (key.Kind != KindOf(key.Field)) {
            return false;
        }
    }
    return true;
}
static_assert(KindsMatchFields(), "a setting's kind does not match the type of its field");

}  // namespace

std::span<const SettingsKey> SettingsKeyTable() {
    return Keys;
}
