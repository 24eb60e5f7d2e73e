#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

// A virtual X server of the test's own. Xvfb picks a free display number and writes it to a
// pipe (-displayfd), so tests running in parallel never share a display. It never resets
// (-noreset): by default an X server resets when its last client leaves, and a client that
// connects during the reset is turned away (a tray panel started right after a short xdotool
// call failed with "cannot open display" that way on a loaded machine). Stopped, by its
// process id, when the object goes.
class XvfbServer {
public:
    XvfbServer() {
        int ends[2];
        if (pipe(ends) != 0) {
            problem_ = "cannot create a pipe for Xvfb";
            return;
        }
        fcntl(ends[0], F_SETFD, FD_CLOEXEC);
        const std::string fd = std::to_string(ends[1]);
        pid_ = fork();
        if (pid_ == 0) {
            // Ends with the test even when the test crashes, and keeps its messages (and its
            // hold on the test's output) to itself.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset",
                   "-screen", "0", "1024x768x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ends[1]);
        if (pid_ < 0) {
            pid_ = 0;
            problem_ = "cannot start Xvfb";
            close(ends[0]);
            return;
        }
        std::string number;
        char c = 0;
        while (read(ends[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(ends[0]);
        if (number.empty()) {
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = 0;
            problem_ = WIFEXITED(status) && WEXITSTATUS(status) == 127
                           ? "Xvfb is not installed (scripts/install-deps installs it)"
                           : "Xvfb did not start";
            return;
        }
        name_ = ":" + number;
    }
    ~XvfbServer() { Stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // The display name (":7"), or empty when the server did not start (Problem says why).
    const std::string& Name() const { return name_; }
    const std::string& Problem() const { return problem_; }

    void Stop() {
        if (pid_ != 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
            pid_ = 0;
        }
    }

private:
    pid_t pid_ = 0;
    std::string name_;
    std::string problem_;
};
