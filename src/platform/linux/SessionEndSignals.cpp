#include "platform/linux/SessionEndSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace {

int writeEnd = -1;

void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &number, 1);
    errno = saved;
}

}  // namespace

bool SessionEndSignals::Install() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    writeEnd = pipe_[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool installed = true;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        installed = ::sigaction(signal, &action, nullptr) == 0 && installed;
    }
    return installed;
}

int SessionEndSignals::Take() {
    unsigned char number = 0;
    return ::read(pipe_[0], &number, 1) == 1 ? number : 0;
}
