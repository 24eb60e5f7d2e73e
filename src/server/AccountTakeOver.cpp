#include "server/AccountTakeOver.h"

#include "counting/AppRecord.h"
#include "server/ProxyUsable.h"

void TakeOverAccount(AppRecord& record, const AcceptedAccount& account, std::int64_t now) {
    AccountState& state = record.Account;
    // A record that was logged off still holds the user's own preferences: they stay.
    const bool keepPreferences = state.NewAccount == 1 && !state.UserName.empty();
    state.UserName = account.UserName;
    state.ComputerName = account.ComputerName;
    state.Password = account.Password;
    state.Email = account.Email;
    state.Token = account.Token;
    state.TotalKeys = account.TotalKeys;
    state.TotalClicks = account.TotalClicks;
    state.UserID = account.UserID;
    state.Rank = account.Rank;
    state.TotalMiles = 0;  // the first skeld brings the account's figure
    state.KeysLastSkeld = 0;
    state.KeysSinceLastReset = 0;
    state.SecondsTilSkeld = 0;
    state.LastReset = 0;
    state.NewAccount = 0;
    const auto time = static_cast<std::int32_t>(now);
    state.LastSkeld = time;
    state.tLastSkeld = time;
    state.LastVersionCheck = time;
    state.ResetUnsentKeys();
    state.ResetUnsentClicks();
    state.ResetUnsentDistance();

    Preferences& preferences = record.Prefs;
    if (!keepPreferences) {
        preferences.ApplyNewAccountValues();
    }
    preferences.ProxyHost = account.ProxyHost;
    preferences.ProxyUser = account.ProxyUser;
    preferences.ProxyPass = account.ProxyPass;
    preferences.ProxyPort = account.ProxyPort;
    preferences.ProxyUse = ProxyUsable(account.ProxyUse, account.ProxyHost) ? 1 : 0;
    preferences.ProxyAuth = account.ProxyAuth;
}
