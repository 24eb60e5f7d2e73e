#include "cli/PasswordSource.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

// The terminal's settings while echo is off, for the signal handler to put back.
termios savedTerminal{};
int savedTerminalFd = -1;

void RestoreTerminalAndDie(int signal) {
    if (savedTerminalFd >= 0) {
        tcsetattr(savedTerminalFd, TCSAFLUSH, &savedTerminal);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Echo is off for its lifetime; an interrupt while typing leaves the terminal as it was.
class EchoOff {
public:
    explicit EchoOff(int fd) {
        if (tcgetattr(fd, &savedTerminal) != 0) {
            return;
        }
        savedTerminalFd = fd;
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP}) {
            previous_[count_++] = {signal, std::signal(signal, RestoreTerminalAndDie)};
        }
        termios quiet = savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        tcsetattr(fd, TCSADRAIN, &quiet);
    }
    ~EchoOff() {
        if (savedTerminalFd < 0) {
            return;
        }
        tcsetattr(savedTerminalFd, TCSADRAIN, &savedTerminal);
        savedTerminalFd = -1;
        for (int i = 0; i < count_; ++i) {
            std::signal(previous_[i].signal, previous_[i].handler);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    struct Previous {
        int signal = 0;
        void (*handler)(int) = nullptr;
    };
    Previous previous_[5];
    int count_ = 0;
};

}  // namespace

std::optional<std::string> PasswordSource::ReadLine(int input) {
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(input, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            // End of input: a last line without its line break still counts.
            return line.empty() ? std::nullopt : std::optional(line);
        }
        if (c == '\n') {
            break;
        }
        if (line.size() == kMaxLength) {
            return std::nullopt;
        }
        line += c;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

PasswordSource::Result PasswordSource::Read(int input, std::ostream& prompts,
                                            const char* fromEnvironment, bool newPassword) {
    if (fromEnvironment != nullptr) {
        if (*fromEnvironment == '\0') {
            return {std::nullopt, "KESTROVIN_PASSWORD is empty"};
        }
        return {std::string(fromEnvironment), ""};
    }
    if (::isatty(input) == 0) {
        auto line = ReadLine(input);
        if (!line || line->empty()) {
            return {std::nullopt,
                    "no password: give it on the first line of standard input or in "
                    "KESTROVIN_PASSWORD"};
        }
        return {std::move(line), ""};
    }
    // Echo stays off for both lines, so that what is typed ahead is neither shown nor lost.
    const EchoOff quiet(input);
    prompts << "Password: " << std::flush;
    auto password = ReadLine(input);
    if (!password || password->empty()) {
        return {std::nullopt, "no password was typed"};
    }
    if (newPassword) {
        prompts << "Password again: " << std::flush;
        if (ReadLine(input) != password) {
            return {std::nullopt, "the two passwords differ"};
        }
    }
    return {std::move(password), ""};
}
