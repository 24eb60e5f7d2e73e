#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

// Remembers, per account, that a password was verified against its stored PBKDF2 hash, so
// that a client sending the same password again is checked in microseconds. Only a keyed hash
// (HMAC-SHA-256 with a random key made once per process) of the password is held, never the
// password, and only in memory. An entry is tied to the stored hash text it was verified
// against, so a changed password drops it; it also expires after `lifetime`. Failures are
// never remembered, so guessing stays as slow as before.
class CredentialCache {
public:
    using Clock = std::chrono::steady_clock;

    explicit CredentialCache(Clock::duration lifetime = std::chrono::minutes(15));

    // True only when this password was remembered for this account and stored hash.
    bool Matches(std::int64_t userId, std::string_view storedHash, std::string_view password,
                 Clock::time_point now = Clock::now());
    void Remember(std::int64_t userId, std::string_view storedHash, std::string_view password,
                  Clock::time_point now = Clock::now());
    void Forget(std::int64_t userId);
    // From now on entries older than `lifetime` are dropped; zero remembers nothing.
    void SetLifetime(Clock::duration lifetime);

private:
    using Digest = std::array<unsigned char, 32>;
    struct Entry {
        std::string storedHash;
        Digest keyed{};
        Clock::time_point verifiedAt;
    };

    bool KeyedHash(std::string_view password, Digest& out) const;

    Clock::duration lifetime_;
    std::array<unsigned char, 32> key_{};
    bool keyReady_ = false;
    std::mutex mutex_;
    std::unordered_map<std::int64_t, Entry> entries_;
};
