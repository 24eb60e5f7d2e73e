#include "app/TrayMenu.h"

namespace {

using Kind = TrayMenuEntry::Kind;
using enum TrayCommand;

constexpr TrayMenuEntry kEntries[] = {
    {0, Kind::Command, "&Skeld Now", SkeldNow},
    {0, Kind::Separator, "", None},
    {0, Kind::Submenu, "&Account", None},
    {1, Kind::Command, "&Local Account Details", AccountDetails},
    {1, Kind::Command, "&Online Stats", OnlineStats},
    {1, Kind::Separator, "", None},
    {1, Kind::Submenu, "&Reset Token", None},
    {2, Kind::Command, "Reset Token", ResetToken},
    {1, Kind::Command, "&Logoff User", LogOff},
    {0, Kind::Separator, "", None},
    {0, Kind::Command, "Preferences", Preferences},
    {0, Kind::Separator, "", None},
    {0, Kind::Command, "Open &Geek Window", GeekWindow},
    {0, Kind::Command, "&Key Frequencies", KeyFrequencies},
    {0, Kind::Submenu, "Extras", None},
    {1, Kind::Command, "Dynamic Images", DynamicImages},
    {0, Kind::Submenu, "&Help && Support", None},
    {1, Kind::Submenu, "Log&s", None},
    {2, Kind::Command, "&Skelds", SkeldLog},
    {2, Kind::Command, "&Debug", DebugLog},
    {1, Kind::Command, "Check Version", CheckVersion},
    {1, Kind::Command, "Kestrovin Data Folder", DataFolder},
    {1, Kind::Separator, "", None},
    {1, Kind::Command, "Online Help Wiki", OnlineHelp},
    {1, Kind::Command, "For&ums", Forums},
    {0, Kind::Separator, "", None},
    {0, Kind::Command, "E&xit", Exit},
};

}  // namespace

std::span<const TrayMenuEntry> TrayMenuEntries() {
    return kEntries;
}

std::string TextForExportedMenu(std::string_view text) {
    const std::size_t mnemonic = text.find('&');
    if (mnemonic == std::string_view::npos || text.substr(mnemonic, 2) == "&&") {
        return std::string(text);  // no mnemonic ahead of a doubled "&": Qt's export is right
    }
    std::string result(text.substr(0, mnemonic + 1));
    for (std::size_t i = mnemonic + 1; i < text.size(); ++i) {
        result += text[i];
        if (text.substr(i, 2) == "&&") {
            ++i;
        }
    }
    return result;
}
