#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A program the test starts with an environment of its own and its output in a file (or in a
// pipe the caller reads). Ended by its process id when the object goes, and killed by the
// kernel should the test itself die first, so no run leaves programs behind.
class ChildProcess {
public:
    // `output`: the file that takes standard output and error; empty: a pipe (OutputFd).
    ChildProcess(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment,
                 const std::filesystem::path& output = {}) {
        std::vector<char*> argv = Pointers(arguments);
        std::vector<char*> envp = Pointers(environment);
        int ends[2] = {-1, -1};
        if (output.empty() && pipe2(ends, O_CLOEXEC) != 0) {
            return;
        }
        const std::string outputName = output.string();
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int target = output.empty()
                                   ? ends[1]
                                   : open(outputName.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            const int null = open("/dev/null", O_RDONLY);
            dup2(null, 0);
            dup2(target, 1);
            dup2(target, 2);
            execvpe(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        if (ends[1] >= 0) {
            close(ends[1]);
        }
        output_ = ends[0];
        if (pid_ < 0) {
            pid_ = 0;
        }
    }
    ~ChildProcess() {
        Stop();
        if (output_ >= 0) {
            close(output_);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    // The read end of the output pipe, or -1 when the output goes to a file.
    int OutputFd() const { return output_; }
    std::optional<int> ExitStatus() const { return status_; }

    // Waits up to `limit` for the program to end by itself. True once it has ended.
    bool WaitForExit(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (pid_ != 0) {
            int status = 0;
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_ || (done < 0 && errno != EINTR)) {
                pid_ = 0;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // SIGTERM, then SIGKILL when the program has not ended within `grace`. True when it ended
    // on SIGTERM.
    bool Stop(std::chrono::milliseconds grace = std::chrono::seconds(10)) {
        if (pid_ == 0) {
            return true;
        }
        kill(pid_, SIGTERM);
        if (WaitForExit(grace)) {
            return true;
        }
        kill(pid_, SIGKILL);
        WaitForExit(std::chrono::hours(1));
        return false;
    }

private:
    static std::vector<char*> Pointers(const std::vector<std::string>& texts) {
        std::vector<char*> pointers;
        for (const std::string& text : texts) {
            pointers.push_back(const_cast<char*>(text.c_str()));
        }
        pointers.push_back(nullptr);
        return pointers;
    }

    pid_t pid_ = 0;
    int output_ = -1;
    std::optional<int> status_;
};

struct ProgramResult {
    int Status = -1;  // the exit status; -1 when it did not exit normally
    std::string Output;
};

// Runs a short-lived program to its end and returns what it printed.
inline ProgramResult RunToEnd(const std::vector<std::string>& arguments,
                              const std::vector<std::string>& environment) {
    ChildProcess child(arguments, environment);
    ProgramResult result;
    char buffer[4096];
    ssize_t count = 0;
    while ((count = read(child.OutputFd(), buffer, sizeof buffer)) != 0) {
        if (count < 0 && errno != EINTR) {
            break;
        }
        if (count > 0) {
            result.Output.append(buffer, static_cast<std::size_t>(count));
        }
    }
    child.WaitForExit(std::chrono::hours(1));
    result.Status = child.ExitStatus().value_or(-1);
    return result;
}
