// kestrovin-bare-listener: the floor for receiving the desktop's input. It selects XInput 2.2
// raw key and button events on the root window for the master devices, as the program does,
// counts them and does nothing else. Prints "ready" once every later event is delivered, and
// its counts when SIGTERM or SIGINT ends it:
//
//   key-press N
//   key-release N
//   button-press N
//   button-release N
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "kestrovin-bare-listener: cannot open the display\n");
        return 1;
    }
    int opcode = 0, firstEvent = 0, firstError = 0;
    int major = 2, minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2 ||
        (major == 2 && minor < 2)) {
        std::fprintf(stderr, "kestrovin-bare-listener: no XInput 2.2\n");
        return 1;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XIEventMask mask = {};
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof bits;
    mask.mask = bits;
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XSync(display, False);

    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    const int stopFd = signalfd(-1, &stop, SFD_CLOEXEC);
    std::printf("ready\n");
    std::fflush(stdout);

    long keyPress = 0, keyRelease = 0, buttonPress = 0, buttonRelease = 0;
    const auto drain = [&] {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != GenericEvent || event.xcookie.extension != opcode ||
                !XGetEventData(display, &event.xcookie)) {
                continue;
            }
            switch (event.xcookie.evtype) {
                case XI_RawKeyPress:
                    ++keyPress;
                    break;
                case XI_RawKeyRelease:
                    ++keyRelease;
                    break;
                case XI_RawButtonPress:
                    ++buttonPress;
                    break;
                case XI_RawButtonRelease:
                    ++buttonRelease;
                    break;
                default:
                    break;
            }
            XFreeEventData(display, &event.xcookie);
        }
    };
    pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        // Xlib may hold events it read along with a reply: drain before waiting.
        drain();
        if (poll(watched, 2, -1) < 0 || (watched[1].revents & POLLIN) != 0 ||
            (watched[0].revents & (POLLERR | POLLHUP)) != 0) {
            break;
        }
    }
    // Everything the server generated before the signal counts: a round trip queues it.
    XSync(display, False);
    drain();
    std::printf("key-press %ld\nkey-release %ld\nbutton-press %ld\nbutton-release %ld\n", keyPress,
                keyRelease, buttonPress, buttonRelease);
    close(stopFd);
    XCloseDisplay(display);
    return 0;
}
