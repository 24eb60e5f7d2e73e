#pragma once

#include "counting/AccountState.h"
#include "counting/Preferences.h"

// The one record the application owns: the account with its counters, and the preferences.
// It is copied, loaded and saved as one unit.
struct AppRecord {
    AccountState Account = AccountState::StartValues();
    Preferences Prefs;
};
