#pragma once

#include <cstdint>
#include <string>

struct AppRecord;

// What the setup (the assistant dialog, or kestrovin-cli login / register) hands the
// application once the server accepted an account.
struct AcceptedAccount {
    std::string UserName;
    std::string ComputerName;
    std::string Password;
    std::string Email;
    std::string Token;
    std::int32_t TotalKeys = 0;
    std::int32_t TotalClicks = 0;
    std::int32_t UserID = 0;
    std::int32_t Rank = 0;
    // The proxy details gathered during the setup.
    std::string ProxyHost;
    std::string ProxyUser;
    std::string ProxyPass;
    std::int32_t ProxyPort = 0;
    std::int32_t ProxyUse = 0;
    std::int32_t ProxyAuth = 0;
};

// Makes the accepted account the record's: its identity and totals, nothing unsent, and the
// skeld and version-check clocks starting now. The preferences take their new-account values
// on a first set-up; after a log-off the user's own stay (only the proxy comes from the setup).
void TakeOverAccount(AppRecord& record, const AcceptedAccount& account, std::int64_t now);
