#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class MouseSampler;

// The worker that wakes once a second to sample the cursor. It starts when constructed and
// stops (and joins) when destroyed.
class MouseThread {
public:
    explicit MouseThread(MouseSampler& sampler,
                         std::chrono::milliseconds period = std::chrono::seconds(1));
    ~MouseThread();
    MouseThread(const MouseThread&) = delete;
    MouseThread& operator=(const MouseThread&) = delete;

private:
    void Run(std::stop_token stop);

    MouseSampler& sampler_;
    const std::chrono::milliseconds period_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread thread_;  // last: starts after the members it uses exist
};
