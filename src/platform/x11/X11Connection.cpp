#include "platform/x11/X11Connection.h"

#include <X11/Xlib.h>

#include <mutex>
#include <set>

namespace {

std::mutex ourDisplaysMutex;
// A multiset: a closed connection's address may already belong to a new one when it is removed.
std::multiset<Display*> ourDisplays;
XIOErrorHandler previousIoErrorHandler = nullptr;

// Xlib's default prints a message and ends the process. For our connections, returning lets
// Xlib go on to the connection's own exit handler (OnLost), which only records the loss.
int OnIoError(Display* display) {
    XIOErrorHandler previous;
    {
        std::scoped_lock lock(ourDisplaysMutex);
        if (ourDisplays.count(display) != 0) {
            return 0;
        }
        previous = previousIoErrorHandler;
    }
    return previous != nullptr ? previous(display) : 0;
}

void InstallIoErrorHandlerOnce() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        XIOErrorHandler previous = XSetIOErrorHandler(OnIoError);
        std::scoped_lock lock(ourDisplaysMutex);
        previousIoErrorHandler = previous;
    });
}

}  // namespace

std::unique_ptr<X11Connection> X11Connection::Open(const std::string& displayName,
                                                   std::string* error) {
    const char* requested = displayName.empty() ? nullptr : displayName.c_str();
    const std::string name = XDisplayName(requested);
    InstallIoErrorHandlerOnce();
    Display* display = XOpenDisplay(requested);
    if (display == nullptr) {
        if (error != nullptr) {
            *error = name.empty() ? "No X display is set (DISPLAY is empty)."
                                  : "Cannot connect to the X display \"" + name + "\".";
        }
        return nullptr;
    }
    {
        std::scoped_lock lock(ourDisplaysMutex);
        ourDisplays.insert(display);
    }
    std::unique_ptr<X11Connection> connection(new X11Connection(display, name));
    XSetIOErrorExitHandler(display, OnLost, connection.get());
    return connection;
}

X11Connection::X11Connection(Display* display, std::string name)
    : display_(display), name_(std::move(name)) {}

X11Connection::~X11Connection() {
    // Closing a lost connection only frees it; the removal from our set comes after, so that
    // a loss noticed while closing is still ours.
    XCloseDisplay(display_);
    std::scoped_lock lock(ourDisplaysMutex);
    ourDisplays.erase(ourDisplays.find(display_));
}

void X11Connection::OnLost(Display*, void* connection) {
    static_cast<X11Connection*>(connection)->lost_ = true;
}
