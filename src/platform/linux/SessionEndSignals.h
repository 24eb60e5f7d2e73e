#pragma once

#include <csignal>

// SIGTERM, SIGHUP and SIGINT — the session ending, the terminal closing, Ctrl+C, kill — turned
// into a readable file descriptor, so the event loop can save and quit in good order instead
// of the process dying with unsaved counts.
class SessionEndSignals {
public:
    // Installs the handlers; false when the pipe or a handler could not be set up.
    bool Install();
    // Readable when a signal arrived; read it with Take().
    int ReadFd() const { return pipe_[0]; }
    // The signal that arrived (0 when none).
    int Take();

private:
    int pipe_[2] = {-1, -1};
};
