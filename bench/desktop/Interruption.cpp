#include "desktop/Interruption.h"

#include <signal.h>

#include <atomic>
#include <thread>

namespace {

std::atomic<bool> interrupted{false};

void OnSignal(int) {
    interrupted = true;
}

}  // namespace

void WatchForInterruption() {
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() {
    return interrupted;
}

bool SleepFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (!interrupted) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) {
            return true;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            end - now, std::chrono::milliseconds(50)));
    }
    return false;
}
