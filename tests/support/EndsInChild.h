#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

// Runs `work` in a child process and gives its exit status (what `work` returns), or nothing
// when it had not ended within `limit` and was killed: a test of something that might wait
// forever (a FIFO in a file's place) fails instead of never ending.
template <typename Work>
std::optional<int> EndsInChild(Work work, std::chrono::seconds limit = std::chrono::seconds(30)) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(work());
    }
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= end) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
