#include "counting/MouseThread.h"

#include <chrono>

#include "counting/MouseSampler.h"

MouseThread::MouseThread(MouseSampler& sampler, std::chrono::milliseconds period)
    : sampler_(sampler), period_(period), thread_([this](std::stop_token stop) { Run(stop); }) {}

MouseThread::~MouseThread() {
    thread_.request_stop();
    thread_.join();
}

void MouseThread::Run(std::stop_token stop) {
    auto next = std::chrono::steady_clock::now() + period_;
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        // Returns early only when a stop is requested.
        if (wake_.wait_until(lock, stop, next, [] { return false; })) {
            break;
        }
        if (stop.stop_requested()) {
            break;
        }
        lock.unlock();
        sampler_.Sample();
        lock.lock();
        next += period_;
        const auto now = std::chrono::steady_clock::now();
        if (next < now) {
            next = now + period_;  // after a suspend, resume the rhythm instead of catching up
        }
    }
}
