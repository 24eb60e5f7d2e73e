#include "FailedLoginLimit.h"

FailedLoginLimit& FailedLoginLimit::Shared() {
    static FailedLoginLimit limit;
    return limit;
}

bool FailedLoginLimit::Allows(std::string_view key, Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    const auto found = windows_.find(std::string(key));
    if (found == windows_.end()) {
        return true;
    }
    if (now - found->second.start >= window_) {
        windows_.erase(found);
        return true;
    }
    return found->second.failures < maxFailures_;
}

void FailedLoginLimit::RecordFailure(std::string_view key, Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    Window& window = windows_[std::string(key)];
    if (window.failures == 0 || now - window.start >= window_) {
        window = {now, 0};
    }
    ++window.failures;
}
