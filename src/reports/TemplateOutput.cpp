#include "reports/TemplateOutput.h"

#include <algorithm>
#include <utility>

#include "counting/DistanceUnit.h"
#include "files/FileIo.h"
#include "files/ReplaceUserFile.h"
#include "text/NumberText.h"

namespace {

void ReplaceAll(std::string& line, std::string_view placeholder, const std::string& value) {
    std::size_t at = 0;
    while ((at = line.find(placeholder, at)) != std::string::npos) {
        line.replace(at, placeholder.size(), value);
        at += value.size();
    }
}

std::string Decimal(std::int64_t value) {
    return NumberText::Integer(value);
}

}  // namespace

std::string TemplateOutput::FillLine(std::string line, const AccountState& a, const Settings& s) {
    // Not printf: the tray program runs under the desktop's locale, which may write a comma.
    const std::string metres =
        NumberText::Fixed(DistanceInUnit(a.UnsentMetres, s.DistanceType, false), 2);
    const char* updates = s.CheckForUpdates == 1   ? "week"
                          : s.CheckForUpdates == 0 ? "month"
                                                   : "never";
    // Each value is taken when its placeholder's turn comes, on the result of the previous one.
    const std::pair<std::string_view, std::string> values[] = {
        {"[KV_USERNAME]", a.UserName},
        {"[KV_PROFILE]", a.ComputerName},
        {"[KV_COMPUTER]", a.ComputerName},
        {"[KV_EMAIL]", a.Email},
        {"[KV_TOTALCLICKS]", Decimal(a.TotalClicks)},
        {"[KV_TOTALKEYS]", Decimal(a.TotalKeys)},
        {"[KV_USERID]", Decimal(a.UserID)},
        {"[KV_RANK]", Decimal(a.Rank)},
        {"[KV_KEYSLASTSKELD]", Decimal(a.KeysLastSkeld)},
        {"[KV_CLIENTKEYS]", Decimal(a.GetUnsentKeys())},
        {"[KV_CLIENTCLICKS]", Decimal(a.GetUnsentClicks())},
        {"[KV_CLIENTMOUSE]", metres},
        {"[KV_CLIENTMOUSE_VALUE]", DistanceUnitName(s.DistanceType)},
        {"[KV_SKELD_EVERY_XXX_KEYS]", Decimal(s.SkeldEvery)},
        {"[KV_SKELD_EVERY_XXX_CLICKS]", Decimal(s.SkeldEveryClicks)},
        {"[KV_SKELD_EVERY_XXX_HOURS]", Decimal(s.SkeldEveryHours)},
        {"[KV_COUNTING_CLICKS]", Decimal(s.CountClicks)},
        {"[KV_TRACKING_DISTANCE]", Decimal(s.Distance)},
        {"[KV_COUNTING_KEYS]", Decimal(s.CountKeys)},
        {"[KV_CHECK_UPDATES]", updates},
        {"[KV_SECONDSTILLNEXTSKELD]", Decimal(a.SecondsTilSkeld)},
        {"[KV_LASTSKELD_TIMESTAMP]", Decimal(a.tLastSkeld)},
    };
    for (const auto& [placeholder, value] : values)
        ReplaceAll(line, placeholder, value);
    return line;
}

std::string TemplateOutput::Fill(std::string_view text, const AccountState& account,
                                 const Settings& settings) {
    constexpr std::size_t kPiece = 1023;
    std::string out;
    while (!text.empty()) {
        std::size_t length = std::min(text.size(), kPiece);
        const std::size_t lineEnd = text.substr(0, length).find('\n');
        if (lineEnd != std::string_view::npos)
            length = lineEnd + 1;
        out += FillLine(std::string(text.substr(0, length)), account, settings);
        text.remove_prefix(length);
    }
    return out;
}

TemplateOutput::Result TemplateOutput::Generate(const std::filesystem::path& templateFile,
                                                const std::filesystem::path& outputFile,
                                                const AccountState& account,
                                                const Settings& settings, std::string* error) {
    const FileRead read = ReadDataFile(templateFile, MaxTemplateBytes);
    if (read.Result == FileRead::Status::TooLarge) {
        if (error != nullptr) {
            *error = templateFile.string() + " is larger than 1 MiB: not filled";
        }
        return Result::TemplateTooLarge;
    }
    if (read.Result != FileRead::Status::Read)
        return Result::NoTemplate;
    if (!ReplaceUserFile(outputFile, Fill(read.Bytes, account, settings), 0644, error)) {
        return Result::CannotWrite;
    }
    return Result::Written;
}

TemplateOutput::Settings TemplateOutput::Settings::From(const Preferences& prefs) {
    Settings s;
    s.DistanceType = prefs.DistanceType;
    s.SkeldEvery = prefs.SkeldEvery;
    s.SkeldEveryClicks = prefs.SkeldEveryClicks;
    s.SkeldEveryHours = prefs.SkeldEveryHours;
    s.CountClicks = prefs.CountClicks;
    s.Distance = prefs.Distance;
    s.CountKeys = prefs.CountKeys;
    s.CheckForUpdates = prefs.CheckForUpdates;
    return s;
}

TemplateOutput::Result TemplateOutput::GenerateNow(const AppRecord& record,
                                                   const DataFolder& folder, std::string* error) {
    return Generate(std::filesystem::path(TemplateName),
                    folder.GetDataFilePath(OutputName, record.Prefs.PortableMode), record.Account,
                    Settings::From(record.Prefs), error);
}
