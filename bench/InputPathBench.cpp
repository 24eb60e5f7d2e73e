// kestrovin-input-path-bench: what the program's side of each input path costs, per 1,000
// events. The same consumer (wait on the source's descriptor, Dispatch, count) runs over:
//   x11    XInput 2.2 raw key events from a virtual X server, typed by kestrovin-xtest-driver;
//   evdev  real `struct input_event` records written into a FIFO in a temporary device folder,
//          each key transition as a keyboard sends it (scan code, key, report).
// Both are paced at RATE key transitions a second; the figure is the consumer thread's CPU
// time, so the X server's and the writer's work is left out on both sides.
//
//   kestrovin-input-path-bench [EVENTS [RATE [ROUNDS]]]    default 25000 at 5000/s, 3 rounds
#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "platform/evdev/EvdevInputSource.h"
#include "platform/x11/X11InputSource.h"
#include "support/ChildProcess.h"
#include "support/XvfbServer.h"

namespace {

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Figures {
    long received = 0;
    double cpuSeconds = 0;
    double PerThousand() const { return received == 0 ? 0 : cpuSeconds * 1000.0 / received; }
};

// Dispatches until `expected` key transitions have arrived, or none has for five seconds.
Figures Consume(InputSource& source, long expected) {
    Figures figures;
    const double start = ThreadCpuSeconds();
    const auto onInput = [&](const RawInput& input) {
        if (input.header.dwType == RawInput::kTypeKeyboard) {
            ++figures.received;
        }
    };
    while (figures.received < expected) {
        pollfd ready{source.FileDescriptor(), POLLIN, 0};
        if (::poll(&ready, 1, 5000) == 0) {
            break;
        }
        source.Dispatch(onInput, {});
    }
    figures.cpuSeconds = ThreadCpuSeconds() - start;
    return figures;
}

Figures RunX11(long events, double rate) {
    XvfbServer xvfb;
    if (xvfb.Name().empty()) {
        std::fprintf(stderr, "no Xvfb: %s\n", xvfb.Problem().c_str());
        return {};
    }
    std::string error;
    std::unique_ptr<X11InputSource> source = X11InputSource::Open(xvfb.Name(), &error);
    if (!source) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return {};
    }
    ChildProcess driver(
        {KESTROVIN_XTEST_DRIVER, "keys", std::to_string(events / 2), std::to_string(rate)},
        {"DISPLAY=" + xvfb.Name(), "PATH=/usr/bin:/bin"}, "/dev/null");
    return Consume(*source, events);
}

Figures RunEvdev(long events, double rate) {
    bench::BenchFolder folder;
    const std::string node = (folder / "event0").string();
    if (::mkfifo(node.c_str(), 0600) != 0) {
        std::perror("mkfifo");
        return {};
    }
    std::unique_ptr<EvdevInputSource> source =
        EvdevInputSource::Open((folder / "event0").parent_path().string(), [](int) {
            return EvdevDeviceScan::Kind{true, false};
        });
    if (!source) {
        return {};
    }
    std::jthread writer([&] {
        const int fd = ::open(node.c_str(), O_WRONLY | O_CLOEXEC);
        timespec start{};
        clock_gettime(CLOCK_MONOTONIC, &start);
        for (long sent = 0; sent < events; ++sent) {
            input_event stroke[3] = {};
            stroke[0].type = EV_MSC;
            stroke[0].code = MSC_SCAN;
            stroke[0].value = 0x70004;
            stroke[1].type = EV_KEY;
            stroke[1].code = KEY_A;
            stroke[1].value = sent % 2 == 0 ? 1 : 0;
            stroke[2].type = EV_SYN;
            stroke[2].code = SYN_REPORT;
            if (::write(fd, stroke, sizeof stroke) != static_cast<ssize_t>(sizeof stroke)) {
                break;
            }
            // Absolute times, as the X driver paces: a late wake-up shortens the next wait.
            const long long due =
                start.tv_sec * 1'000'000'000LL + start.tv_nsec +
                static_cast<long long>(static_cast<double>(sent + 1) / rate * 1e9);
            const timespec until{static_cast<time_t>(due / 1'000'000'000),
                                 static_cast<long>(due % 1'000'000'000)};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
            }
        }
        ::close(fd);
    });
    return Consume(*source, events);
}

}  // namespace

int main(int argc, char** argv) {
    const long events = argc > 1 ? std::atol(argv[1]) : 25000;
    const double rate = argc > 2 ? std::atof(argv[2]) : 5000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    if (events <= 0 || events % 2 != 0 || rate <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: kestrovin-input-path-bench [EVENTS(even) [RATE [ROUNDS]]]\n");
        return 2;
    }
    std::vector<double> x11;
    std::vector<double> evdev;
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        for (const bool useX11 : {true, false}) {
            const Figures figures = useX11 ? RunX11(events, rate) : RunEvdev(events, rate);
            std::printf("round %d %-5s received %ld of %ld, CPU %.4f s, %.4f ms per 1,000 events\n",
                        round + 1, useX11 ? "x11" : "evdev", figures.received, events,
                        figures.cpuSeconds, figures.PerThousand() * 1000);
            complete = complete && figures.received == events;
            (useX11 ? x11 : evdev).push_back(figures.PerThousand() * 1000);
        }
    }
    std::sort(x11.begin(), x11.end());
    std::sort(evdev.begin(), evdev.end());
    std::printf("median CPU per 1,000 key events at %.0f/s: x11 %.4f ms, evdev %.4f ms\n", rate,
                x11[x11.size() / 2], evdev[evdev.size() / 2]);
    return complete ? 0 : 1;
}
