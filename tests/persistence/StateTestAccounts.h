#pragma once

#include <string>
#include <tuple>

#include "counting/AccountState.h"
#include "counting/QuickCrypt.h"
#include "support/FixedClock.h"

// An account as a signed-in user would have it, with texts that a careless encoding would
// break: UTF-8, a zero byte, bytes above 0x7F, a password longer than one prefix byte. Its
// enciphered counters are made at a fixed second, so every call gives the same record.
inline AccountState RealisticAccount() {
    static const FixedClock fixedSecond;
    CQuickCrypt::UseClock(&fixedSecond);
    AccountState account = AccountState::StartValues();
    account.UserName = "J\xC3\xB6rg \xC3\x85ngstr\xC3\xB6m";
    account.ComputerName = "workstation-07";
    account.Password = std::string("p@ss w0rd\0\xFF\x01", 12) + std::string(300, 'x');
    account.Token = "9f86d081884c7d659a2feaa0c55ad015";
    account.Email = "marta@example.org";
    account.AddUnsentKeys(12345);
    account.AddUnsentClicks(678);
    account.UnsentMetres = 1234.5678;
    account.TotalKeys = 987654;
    CQuickCrypt::UseClock(nullptr);
    return account;
}

// Fields 2 to 9 of the state stream: what the state file holds of an account.
inline auto StoredFields(const AccountState& account) {
    return std::make_tuple(account.UserName, account.ComputerName, account.Password, account.Token,
                           account.UnsentClicks, account.UnsentKeys, account.UnsentSpare,
                           account.UnsentMetres.Load());
}
