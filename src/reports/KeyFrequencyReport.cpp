#include "reports/KeyFrequencyReport.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>

#include "files/ReplaceUserFile.h"
#include "server/ServerAddress.h"
#include "text/FormatCount.h"

namespace {

struct CountedKey {
    std::int32_t Count;
    std::string Key;
};

}  // namespace

std::vector<KeyFrequencyReport::Row> KeyFrequencyReport::Rows(const KeyFrequencyTable& table) {
    std::vector<CountedKey> keys;
    keys.reserve(table.Size());
    for (const auto& [code, count] : table.Entries()) {
        keys.push_back({count, table.KeyName(code)});
    }
    // Larger counts first as unsigned numbers; equal counts by name so every reader of the
    // tally (dialog, command line) lists it the same way.
    std::stable_sort(keys.begin(), keys.end(), [](const CountedKey& a, const CountedKey& b) {
        const auto ua = static_cast<std::uint32_t>(a.Count);
        const auto ub = static_cast<std::uint32_t>(b.Count);
        if (ua != ub)
            return ua > ub;
        return a.Key < b.Key;
    });
    std::vector<Row> rows;
    rows.reserve(keys.size());
    for (auto& key : keys)
        rows.push_back({FormatCount(key.Count), std::move(key.Key)});
    return rows;
}

std::string KeyFrequencyReport::ElementName(const std::string& displayName) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"Left ctrl", "LeftCtrl"},
        {"Right ctrl", "RightCtrl"},
        {"Left alt", "LeftAlt"},
        {"Right alt", "RightAlt"},
        {"Left shift", "LeftShift"},
        {"Right shift", "RightShift"},
        {"Left Winkey", "LeftWindowsKey"},
        {"Right Winkey", "RightWindowsKey"},
        {"Print screen", "PrintScreen"},
        {"Scroll lock", "ScrollLock"},
        {"Caps Lock", "CapsLock"},
        {"Esc", "Escape"},
        {"Keypad Enter", "KeypadEnter"},
        {"+", "Plus"},
        {"-", "Minus"},
        {"[", "SqrBktOpen"},
        {"]", "SqrBktClosed"},
        {";", "SemiColon"},
        {"'", "Apostrophe"},
        {"\\", "Backslash"},
        {",", "Comma"},
        {".", "FullStop"},
        {"/", "ForwardSlash"},
        {"`", "Tilde"},
        {"Keypad: *", "KeypadStar"},
        {"Keypad: /", "KeypadSlash"},
        {"Keypad: -", "KeypadMinus"},
        {"Keypad: +", "KeypadPlus"},
        {"Keypad: .", "KeypadDecimal"},
    };
    for (const auto& [display, element] : kNames) {
        if (displayName == display)
            return element;
    }
    if (displayName.size() == 9 && displayName.starts_with("Keypad: ") && displayName[8] >= '0' &&
        displayName[8] <= '9') {
        return std::string("Keypad") + displayName[8];
    }
    if (displayName.size() == 1 && displayName[0] >= '0' && displayName[0] <= '9') {
        return "Num" + displayName;
    }
    return displayName;
}

std::string KeyFrequencyReport::Xml(const KeyFrequencyTable& table, std::size_t rowCount) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<KeyFrequencies>\n\t<Letters>\n";
    std::size_t taken = 0;
    for (const auto& [code, count] : table.Entries()) {
        if (taken++ == rowCount)
            break;
        const std::string element = ElementName(table.KeyName(code));
        xml += "\t\t<" + element + ">" + std::to_string(count) + "</" + element + ">\n";
    }
    xml += "\t</Letters>\n</KeyFrequencies>";
    return xml;
}

std::string KeyFrequencyReport::LocalTime(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr)
        return "Unknown";
    char text[256];
    if (std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local) == 0)
        return "Unknown";
    return text;
}

std::string KeyFrequencyReport::ResetDate(std::int64_t seconds) {
    if (seconds <= 10)
        return "Unknown";
    return LocalTime(seconds);
}

std::string KeyFrequencyReport::Html(const Figures& f, const std::vector<Row>& rows) {
    std::string html =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n<html>\n<head>\n"
        "<title>Kestrovin : Keystroke frequencies</title>\n<meta http-equiv=\"Content-Type\" "
        "content=\"text/html; charset=iso-8859-1\">\n";
    html +=
        "</head>\n<style>\n<!--\nbody {\n PADDING-RIGHT: 0px; PADDING-LEFT: 0px; FONT-SIZE: 11px; "
        "BACKGROUND: white; PADDING-BOTTOM: 0px; MARGIN: 0px; COLOR: black; PADDING-TOP: 0px; "
        "FONT-FAMILY: Tahoma, Verdana, Arial, Helvetica, sans-serif;\n }\n\n";
    html +=
        "td {\n FONT-SIZE: 11px; FONT-FAMILY: Tahoma, Verdana, Arial, Helvetica, sans-serif;\n }\n "
        "-->\n </style>\n <body>\n <br><br><br>\n <center><h3>Keystroke "
        "frequencies</h3></center>\n\n\n";
    html +=
        "<table bgcolor=\"#497290\" cellspacing=\"1\" cellpadding=\"1\" border=\"0\" "
        "align=\"center\">\n<tr>\n<td>\n<font face=\"Arial Black, Helvetica\" color=\"#ffffff\"> "
        "&nbsp;General information</font>\n";
    html +=
        "<table bgcolor=\"#ffffff\" cellpadding=\"5\" cellspacing=\"0\" border=\"0\">\n<tr>\n<td "
        "width=\"530\">\n<p>\n</p>\n<p>\n<table align=\"center\" width=\"70%\">\n<tr>\n";
    html += "<td>AccountName:</td> <td>" + f.AccountName +
            "</td>\n</tr>\n<tr>\n<td>Current keys:</td> <td>" + FormatCount(f.CurrentKeys) +
            "</td>\n</tr>\n<tr>\n<td>Current clicks:</td> <td>" + FormatCount(f.CurrentClicks) +
            "</td>\n</tr>\n<tr>\n<td>Total keycount:</td> <td>" + FormatCount(f.TotalKeys) +
            "</td>\n";
    html += "</tr>\n<tr>\n<td>Total clicks:</td> <td>" + FormatCount(f.TotalClicks) +
            "</td>\n</tr>\n<tr><td colspan=2>&nbsp;</td></tr>\n<tr>\n<td>Keystrokes since last "
            "reset:</td> <td>" +
            FormatCount(f.KeysSinceLastReset) +
            "</td>\n</tr>\n<tr>\n<td>Last reset date:</td> <td>" + LocalTime(f.LastReset) +
            "</td>\n</tr>\n</table>\n<br><br>\n\n";
    html += std::string("Keystroke frequency tracking is <b>") +
            (f.KeepRecord ? "enabled" : "disabled") + "</b>\n\n";
    html += "</tr>\n</table>\n</td>\n</tr>\n</table>\n<br><br><br>\n\n";
    html +=
        "<table border=1 bgcolor=\"#497290\" bordercolor=\"#000000\" cellspacing=0 cellpadding=3 "
        "align=\"center\" width=\"60%\">\n<tr bgcolor=\"#497290\">\n<td align=\"center\" "
        "width=\"50%\"><font color=\"#ffffff\"><b>Count</b></font></td>\n<td align=\"center\" "
        "width=\"50%\"><font color=\"#ffffff\"><b>Key</b></font></td>\n</tr>\n";
    bool white = true;
    for (const Row& row : rows) {
        html += std::string("<tr bgcolor=\"") + (white ? "#ffffff" : "#f0f0f0") +
                "\">\n<td align=\"center\" width=\"50%\">" + row.Count +
                "</td>\n<td align=\"center\" width=\"50%\">" + row.Key + "</td>\n</tr>\n";
        white = !white;
    }
    html +=
        "<tr bgcolor=\"#497290\">\n<td align=\"center\">&nbsp;</td>\n<td "
        "align=\"center\">&nbsp;</td>\n</tr>\n</table>\n<table bgcolor=\"#ffffff\" "
        "align=\"center\" width=\"60%\">\n<tr>\n<td align=\"center\"><a href=\"";
    html += f.HomePage;
    html += "\">&copy; Kestrovin</a></td>\n</tr>\n</table>\n</body>\n</html>";
    return html;
}

std::string KeyFrequencyReport::WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

KeyFrequencyReport::Figures KeyFrequencyReport::Figures::From(const AppRecord& record) {
    const AccountState& account = record.Account;
    Figures f;
    f.AccountName = account.UserName;
    f.CurrentKeys = account.GetUnsentKeys();
    f.CurrentClicks = account.GetUnsentClicks();
    f.TotalKeys = account.TotalKeys;
    f.TotalClicks = account.TotalClicks;
    f.KeysSinceLastReset = account.KeysSinceLastReset;
    f.LastReset = account.LastReset;  // widened with its sign
    f.KeepRecord = record.Prefs.KeepFreq != 0;
    f.HomePage = ServerAddress::FromEnvironment().WebPageUrl("");
    return f;
}

bool KeyFrequencyReport::WriteExport(const std::string& file, const std::string& text,
                                     std::string* error) {
    return ReplaceUserFile(file, WithCrLf(text), 0644, error);
}
