// Replies as a hostile or broken statistics server may send them, handed to the request
// operations just as the HTTP exchange hands them over. The first input byte chooses the
// request, the second the user's answers and preferences, the rest is the reply. An account
// the setup requests accept is taken over as the setup does. Whatever the reply did to the
// account, saving everything must give files that load back to it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "SettingsRoundTrip.h"
#include "StateFields.h"
#include "app/TooltipText.h"
#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "persistence/AppPersistence.h"
#include "persistence/Logs.h"
#include "server/AccountTakeOver.h"
#include "server/Communication.h"
#include "server/RequestContext.h"
#include "support/FixedClock.h"
#include "support/RecordingAssistant.h"
#include "support/RecordingPorts.h"
#include "support/RecordingUser.h"
#include "support/TempFolder.h"

namespace {

AppRecord SignedInRecord(std::uint8_t flags) {
    AppRecord record;
    record.Prefs.ApplyNewAccountValues();
    AccountState& account = record.Account;
    account.UserName = "alice";
    account.ComputerName = "desk";
    account.Password = "secret";
    account.Token = "tok-1";
    account.UserID = 42;
    account.TotalKeys = 1000;
    account.AddUnsentKeys(12);
    account.AddUnsentClicks(3);
    account.AddUnsentMetres(25.0);
    record.Prefs.ShowNoPopups = flags & 1;
    record.Prefs.UseBalloons = (flags >> 1) & 1;
    record.Prefs.DistanceType = (flags >> 2) & 3;
    return record;
}

void RunRequest(Communication& request, RecordingAssistant& assistant, std::uint8_t which) {
    switch (which % 9) {
        case 0:
            request.KeysToSend = 12;
            request.ClicksToSend = 3;
            request.MilesToSend = 0.015;
            request.SendSkeld();
            break;
        case 1:
            request.ResetToken();
            break;
        case 2:
            request.ResetPassword("fresh-password");
            break;
        case 3:
            request.SendKeyboardImage("<keys><key code=\"65\" count=\"3\"/></keys>");
            break;
        case 4:
            request.CheckVersion(true);
            break;
        case 5:
            request.CheckVersion(false);
            break;
        case 6:
            request.FetchComputerList(assistant, "alice", "secret");
            break;
        case 7:
            request.FetchAccountInfo(assistant, "alice", "desk", "secret");
            break;
        default:
            request.RegisterAccount(assistant, "alice", "desk", "secret", "alice@example.org");
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    static const TempFolder folder;
    const std::string reply(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::uint8_t flags = data[1];

    AppRecord record = SignedInRecord(flags);
    KeyFrequencyTable frequencies;
    frequencies.Increment(0x41);
    RecordingUser user;
    user.answers = {(flags & 0x10) != 0, (flags & 0x20) != 0};
    RecordingTray tray;
    RecordingSkeldEnd skeldEnd;
    FixedClock clock;
    const AppPersistence persistence(DataFolder(folder / "program", folder / "data"),
                                     folder / "store.conf", user);
    const Logs logs(persistence.Folder(), clock);
    {
        Communication request(RequestContext{record, frequencies, persistence, logs, user, tray,
                                             clock, ServerAddress({"127.0.0.1", 9}), skeldEnd});
        request.SetExchange([&reply](CWebGrab&) { return reply; });
        RecordingAssistant assistant;
        RunRequest(request, assistant, data[0]);
        if (assistant.accepted) {
            // What the setup does with an account the server accepted.
            AcceptedAccount accepted{.UserName = "alice",
                                     .ComputerName = "desk",
                                     .Password = "secret",
                                     .Email = request.EmailResult,
                                     .Token = request.TokenResult,
                                     .TotalKeys = request.TotalKeysResult,
                                     .TotalClicks = request.TotalClicksResult,
                                     .UserID = request.UserIdResult,
                                     .Rank = request.RankResult};
            TakeOverAccount(record, accepted, clock.Now());
        }
    }
    TooltipText(record);

    persistence.SaveAll(record, frequencies);
    AppRecord loaded;
    KeyFrequencyTable loadedFrequencies;
    Check(persistence.LoadState(loaded, loadedFrequencies) == LoadResult::Loaded);
    Check(SameStoredFields(loaded.Account, record.Account));
    Check(SameIntegersAndTexts(loaded, record));
    Check(loadedFrequencies.Entries() == frequencies.Entries());

    // Each input starts from no files at all.
    std::filesystem::remove_all(folder / "data");
    std::filesystem::remove(folder / "store.conf");
    return 0;
}
