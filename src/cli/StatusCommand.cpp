#include "cli/StatusCommand.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>

#include "cli/ConsoleUser.h"
#include "counting/AppRecord.h"
#include "counting/DistanceUnit.h"
#include "counting/KeyFrequencyTable.h"
#include "persistence/AppPersistence.h"
#include "persistence/FileTypedStore.h"
#include "persistence/State.h"
#include "platform/linux/SingleInstanceLock.h"
#include "text/FormatCount.h"
#include "text/NumberText.h"

namespace {

std::string LocalTime(std::int64_t time) {
    if (time == 0) {
        return "never";
    }
    const std::time_t seconds = time;
    std::tm local{};
    char text[32];
    if (::localtime_r(&seconds, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local) == 0) {
        return NumberText::Integer(time);
    }
    return text;
}

// In the user's unit with two decimals, as the tooltip shows distances and as precise as the
// stored total is.
std::string Distance(double metres, std::int32_t distanceType) {
    return NumberText::Fixed(DistanceInUnit(metres, distanceType, false), 2) + " " +
           DistanceUnitName(distanceType);
}

// When the file was last written, in seconds since 1970; none when it cannot be told.
std::optional<std::int64_t> ModificationTime(const std::filesystem::path& file) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(file, error);
    if (error) {
        return std::nullopt;
    }
    const auto system = std::chrono::file_clock::to_sys(written);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

void PrintAccount(const AppRecord& record, const std::optional<std::int64_t>& saved,
                  std::ostream& out) {
    const AccountState& account = record.Account;
    const std::int32_t unit = record.Prefs.DistanceType;
    out << "Account:         " << account.UserName << '\n'
        << "Computer:        " << account.ComputerName << '\n'
        << "Unsent keys:     " << FormatCount(account.GetUnsentKeys()) << '\n'
        << "Unsent clicks:   " << FormatCount(account.GetUnsentClicks()) << '\n'
        << "Unsent distance: " << Distance(account.UnsentMetres, unit) << '\n'
        << "Total keys:      " << FormatCount(account.TotalKeys) << '\n'
        << "Total clicks:    " << FormatCount(account.TotalClicks) << '\n'
        << "Total distance:  " << Distance(account.TotalMiles * kMetresPerMile, unit) << '\n'
        << "Rank:            " << FormatCount(account.Rank) << '\n'
        << "Last skeld:      " << LocalTime(account.LastSkeld) << '\n'
        << "Last saved:      " << (saved ? LocalTime(*saved) : std::string("unknown")) << '\n';
}

}  // namespace

int RunStatusCommand(const DataFolder& dataFolder, std::ostream& out, std::ostream& err) {
    ConsoleUser user(err, false);
    AppRecord record;
    record.Prefs.PortableMode = dataFolder.IsPortableMarkerPresent();
    const AppPersistence persistence(dataFolder, FileTypedStore::DefaultPath(), user,
                                     StorageAccess::ReadOnly);
    KeyFrequencyTable frequencies;
    const std::string where = dataFolder.GetDataFolder(record.Prefs.PortableMode).string();
    switch (persistence.LoadState(record, frequencies)) {
        case LoadResult::Loaded: {
            const auto saved = ModificationTime(
                dataFolder.GetDataFilePath(CState::StateFileName, record.Prefs.PortableMode));
            // The running program counts in memory: what the files hold is its last save.
            if (SingleInstanceLock::HeldNow(SingleInstanceLock::DefaultPath())) {
                out << "Kestrovin is running: these are the counts of its last save ("
                    << (saved ? LocalTime(*saved) : std::string("time unknown"))
                    << "), not what it has counted since.\n";
            }
            PrintAccount(record, saved, out);
            return 0;
        }
        case LoadResult::NoUsableState:
            err << "kestrovin-cli: no usable state file (Kestrovin.ksv) in " << where << '\n';
            return 1;
        case LoadResult::LoggedOff:
            err << "kestrovin-cli: the account " << record.Account.UserName
                << " was logged off; set up an account to start counting again\n";
            return 1;
        case LoadResult::NoAccount:
            err << "kestrovin-cli: the state file in " << where << " holds no account\n";
            return 1;
    }
    return 1;
}
