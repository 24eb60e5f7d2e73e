#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

#include <atomic>

namespace {

// Xlib has one error handler for the whole process, so one trap at a time.
std::mutex trapMutex;
std::atomic<Display*> trappedDisplay = nullptr;
std::atomic<int> firstError = 0;
std::atomic<XErrorHandler> previousHandler = nullptr;

int OnError(Display* display, XErrorEvent* error) {
    if (display == trappedDisplay.load()) {
        int none = 0;
        firstError.compare_exchange_strong(none, error->error_code);
        return 0;
    }
    XErrorHandler previous = previousHandler.load();
    return previous != nullptr ? previous(display, error) : 0;
}

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display), lock_(trapMutex) {
    XSync(display_, False);
    firstError = 0;
    trappedDisplay = display_;
    previousHandler = XSetErrorHandler(OnError);
}

X11ErrorTrap::~X11ErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previousHandler.load());
    trappedDisplay = nullptr;
}

int X11ErrorTrap::Sync() {
    XSync(display_, False);
    return firstError;
}
