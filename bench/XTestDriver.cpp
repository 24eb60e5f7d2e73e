// kestrovin-xtest-driver: synthetic keystrokes or clicks through XTest, at a set rate, to the
// display in $DISPLAY; exits once the X server has taken them all.
//
//   kestrovin-xtest-driver keys|clicks PAIRS RATE
//
// PAIRS press/release pairs of the key "a", or of the left button at (300, 500), away from
// any tray. RATE is X events per second, a press and a release being one event each, spaced
// evenly so that each event reaches the server on its own; 0 sends them as fast as the server
// takes them (a burst). Prints "sent EVENTS events in SECONDS s".
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double Seconds(const timespec& from, const timespec& to) {
    return static_cast<double>(to.tv_sec - from.tv_sec) +
           static_cast<double>(to.tv_nsec - from.tv_nsec) / 1e9;
}

// `start` plus `offset` seconds.
timespec After(const timespec& start, double offset) {
    const long long nanoseconds =
        start.tv_sec * 1'000'000'000LL + start.tv_nsec + static_cast<long long>(offset * 1e9);
    timespec result;
    result.tv_sec = static_cast<time_t>(nanoseconds / 1'000'000'000);
    result.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
    return result;
}

int Usage() {
    std::fprintf(stderr, "usage: kestrovin-xtest-driver keys|clicks PAIRS RATE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        return Usage();
    }
    const bool keys = std::strcmp(argv[1], "keys") == 0;
    if (!keys && std::strcmp(argv[1], "clicks") != 0) {
        return Usage();
    }
    const long pairs = std::atol(argv[2]);
    const double rate = std::atof(argv[3]);
    if (pairs <= 0 || rate < 0) {
        return Usage();
    }

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "kestrovin-xtest-driver: cannot open the display\n");
        return 1;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "kestrovin-xtest-driver: the X server has no XTest\n");
        return 1;
    }
    const KeyCode key = XKeysymToKeycode(display, XK_a);
    if (!keys) {
        XTestFakeMotionEvent(display, -1, 300, 500, CurrentTime);
    }
    XSync(display, False);

    const long events = pairs * 2;
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (long sent = 0; sent < events; ++sent) {
        const bool press = sent % 2 == 0;
        if (keys) {
            XTestFakeKeyEvent(display, key, press, CurrentTime);
        } else {
            XTestFakeButtonEvent(display, 1, press, CurrentTime);
        }
        if (rate > 0) {
            XFlush(display);
            // Absolute times: a late wake-up shortens the next wait instead of slowing the rate.
            const timespec due = After(start, static_cast<double>(sent + 1) / rate);
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
            }
        }
    }
    XSync(display, False);
    timespec end;
    clock_gettime(CLOCK_MONOTONIC, &end);
    std::printf("sent %ld events in %.3f s\n", events, Seconds(start, end));
    XCloseDisplay(display);
    return 0;
}
