#include "LoginGuard.h"

#include <arpa/inet.h>

#include <array>
#include <cstdio>

#include "PasswordHasher.h"

LoginGuard::LoginGuard(const LoginLimits& limits)
    : cache_(limits.cacheLifetime),
      accounts_(limits.failuresPerAccount),
      addresses_(limits.failuresPerAddress) {}

bool LoginGuard::Verify(const Account& account, std::string_view password,
                        std::string_view clientAddress) {
    if (cache_.Matches(account.userId, account.passwordHash, password)) {
        return true;
    }
    // The stored hash (salted, so unique) is part of the account's key, so a new password
    // starts a fresh count.
    const std::string accountKey = std::to_string(account.userId) + ":" + account.passwordHash;
    const std::string addressKey = AddressKey(clientAddress);
    if (!accounts_.Allows(accountKey) || !addresses_.Allows(addressKey)) {
        return false;
    }
    if (!PasswordHasher::Verify(password, account.passwordHash)) {
        accounts_.RecordFailure(accountKey);
        addresses_.RecordFailure(addressKey);
        return false;
    }
    cache_.Remember(account.userId, account.passwordHash, password);
    return true;
}

std::string LoginGuard::AddressKey(std::string_view clientAddress) {
    std::string text(clientAddress);
    if (text.starts_with("::ffff:") && text.find('.') != std::string::npos) {
        return text.substr(7);
    }
    std::array<unsigned char, 16> ipv6{};
    if (inet_pton(AF_INET6, text.c_str(), ipv6.data()) != 1) {
        return text;
    }
    char network[40] = {};
    std::snprintf(network, sizeof network, "%02x%02x:%02x%02x:%02x%02x:%02x%02x::/64", ipv6[0],
                  ipv6[1], ipv6[2], ipv6[3], ipv6[4], ipv6[5], ipv6[6], ipv6[7]);
    return network;
}
