#include "FailedLoginLimit.h"

namespace {

// Guessers from many addresses leave a window each; past this many the ended ones are dropped.
constexpr std::size_t kSweepAbove = 100'000;

}  // namespace

bool FailedLoginLimit::Allows(std::string_view key, Clock::time_point now) {
    if (maxFailures_ <= 0) {
        return true;
    }
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
    if (maxFailures_ <= 0) {
        return;
    }
    const std::lock_guard lock(mutex_);
    if (windows_.size() > kSweepAbove) {
        std::erase_if(windows_,
                      [&](const auto& entry) { return now - entry.second.start >= window_; });
    }
    Window& window = windows_[std::string(key)];
    if (window.failures == 0 || now - window.start >= window_) {
        window = {now, 0};
    }
    ++window.failures;
}
