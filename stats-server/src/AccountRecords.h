#pragma once

#include <cstdint>
#include <string>

// What the account database hands out.

struct Account {
    std::int64_t userId = 0;
    std::string name;
    std::string passwordHash;
    std::string email;
    std::int64_t totalKeys = 0;
    std::int64_t totalClicks = 0;
    double totalMiles = 0;
};

// One computer (profile) of an account, with the token its next skeld must show.
struct Computer {
    std::int64_t computerId = 0;
    std::int64_t userId = 0;
    std::string name;
    std::string token;
    std::int64_t lastSkeld = 0;  // seconds since 1970 of the last accepted skeld, 0 = never
};

// An account with the computer a request names, fetched together for the requests that
// come all the time.
struct AccountWithComputer {
    Account account;
    bool hasComputer = false;  // false: the account has no computer of that name
    Computer computer;
};

// An account's lifetime totals with its rank by keystrokes (1 = most).
struct Standing {
    std::int64_t totalKeys = 0;
    std::int64_t totalClicks = 0;
    double totalMiles = 0;
    std::int64_t rank = 0;
    std::int64_t accounts = 0;  // how many accounts are ranked
};

// A password reset waiting for the link mailed to the account's owner.
struct PendingReset {
    std::int64_t userId = 0;
    std::string sealedPassword;  // empty for a reset stored before passwords were kept sealed
    std::int64_t requested = 0;  // seconds since 1970
};

enum class LookupStatus { Found, Missing, Failed };

// A database answer that tells "there is none" apart from "the database failed".
template <typename T>
struct Lookup {
    LookupStatus status = LookupStatus::Failed;
    T value{};

    bool Found() const { return status == LookupStatus::Found; }
};
