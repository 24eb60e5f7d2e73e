#pragma once

#include <cstdint>
#include <string>

#include "counting/SharedValue.h"

// Everything the client knows about the signed-in account: identity, the counts not yet sent,
// the server's totals and rank, and the times that drive scheduling. Times are seconds since
// 1970-01-01 00:00 UTC (0 = never). Owned by the user-interface thread, except that the mouse
// thread adds to UnsentMetres.
struct AccountState {
    std::string UserName;
    std::string ComputerName;
    std::string Password;
    std::string Email;
    std::string Token;
    std::int32_t UserID = 0;

    // Held only as the enciphered decimal text of the count; use the operations below.
    std::string UnsentKeys;
    std::string UnsentClicks;
    std::string UnsentSpare;  // reserved; reset with the distance, otherwise only stored
    SharedValue<double> UnsentMetres = 0.0;

    std::int32_t TotalKeys = 0;
    std::int32_t TotalClicks = 0;
    double TotalMiles = 0.0;
    std::int32_t Rank = 0;
    std::int32_t KeysLastSkeld = 0;
    std::int32_t KeysSinceLastReset = 0;

    std::int32_t LastReset = 0;
    std::int32_t LastSkeld = 0;
    std::int32_t tLastSkeld = 0;
    std::int32_t SecondsTilSkeld = 0;
    std::int32_t NewAccount = 0;
    std::int32_t LastVersionCheck = 0;  // not stored
    std::int32_t SkeldInProgress = 0;   // not stored

    // The start-up values: empty texts, counters enciphering "0", everything else 0.
    static AccountState StartValues();

    std::int32_t GetUnsentKeys() const;
    std::int32_t GetUnsentClicks() const;
    void AddUnsentKeys(std::int32_t n);
    void AddUnsentClicks(std::int32_t n);
    void ResetUnsentKeys();
    void ResetUnsentClicks();
    // Sets UnsentSpare to the encipherment of "0" and UnsentMetres to 0.
    void ResetUnsentDistance();
    // Called from the mouse thread.
    void AddUnsentMetres(double metres);
};
