#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

// Counts failed logins per key (an account, a client address) in fixed windows, so that the
// fast path for remembered passwords does not make guessing cheaper: once a key has
// `maxFailures` failures in a window, its slow checks are refused until the window ends. A limit
// of zero refuses nothing.
class FailedLoginLimit {
public:
    using Clock = std::chrono::steady_clock;

    FailedLoginLimit(int maxFailures = 10, Clock::duration window = std::chrono::minutes(1))
        : maxFailures_(maxFailures), window_(window) {}

    bool Allows(std::string_view key, Clock::time_point now = Clock::now());
    void RecordFailure(std::string_view key, Clock::time_point now = Clock::now());

private:
    struct Window {
        Clock::time_point start;
        int failures = 0;
    };

    int maxFailures_;
    Clock::duration window_;
    std::mutex mutex_;
    std::unordered_map<std::string, Window> windows_;
};
