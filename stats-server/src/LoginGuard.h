#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "AccountRecords.h"
#include "CredentialCache.h"
#include "FailedLoginLimit.h"

// How hard the server makes guessing passwords, from its command line.
struct LoginLimits {
    int failuresPerAccount = 10;  // slow checks refused after this many failures in a minute
    int failuresPerAddress = 30;  // the same for one client address (IPv6: its /64 network)
    std::chrono::seconds cacheLifetime = std::chrono::minutes(15);  // zero: nothing remembered
};

// Checks a password against an account's stored hash for one server: the remembered ones in
// microseconds, the others with PBKDF2, but only while neither the account nor the client's
// address has used up its failures. A client whose password is remembered still passes while
// someone guesses at its account or from its address.
class LoginGuard {
public:
    explicit LoginGuard(const LoginLimits& limits = {});

    bool Verify(const Account& account, std::string_view password, std::string_view clientAddress);

    // The key an address is limited under: IPv4 as it is, IPv6 by its /64 network (one
    // client easily has a whole one), an IPv4-mapped address as IPv4.
    static std::string AddressKey(std::string_view clientAddress);

private:
    CredentialCache cache_;
    FailedLoginLimit accounts_;
    FailedLoginLimit addresses_;
};
