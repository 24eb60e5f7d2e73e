#include "desktop/TrayIconWatch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// A window that goes away between two requests is no failure here.
int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

TrayIconWatch::TrayIconWatch(const std::string& displayName) {
    display_ = XOpenDisplay(displayName.c_str());
    if (display_ != nullptr) {
        XSetErrorHandler(IgnoreErrors);
        pidAtom_ = XInternAtom(display_, "_NET_WM_PID", False);
    }
}

TrayIconWatch::~TrayIconWatch() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

bool TrayIconWatch::IconShown(pid_t pid) {
    return display_ != nullptr && Search(DefaultRootWindow(display_), pid);
}

bool TrayIconWatch::Search(unsigned long window, pid_t pid) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, window, &root, &parent, &children, &count)) {
        return false;
    }
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        // Docked: a child of the tray's window, not a top-level window of its own.
        found = (window != root && PidOf(children[i]) == pid && ShowsPicture(children[i])) ||
                Search(children[i], pid);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

pid_t TrayIconWatch::PidOf(unsigned long window) {
    const auto known = pids_.find(window);
    if (known != pids_.end() && known->second != 0) {
        return known->second;
    }
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    pid_t pid = 0;
    if (XGetWindowProperty(display_, window, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &after, &data) == Success &&
        data != nullptr) {
        if (format == 32 && items == 1) {
            pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
        }
        XFree(data);
    }
    // A window without the property yet may get it later: ask again then.
    pids_[window] = pid;
    return pid;
}

bool TrayIconWatch::ShowsPicture(unsigned long window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes) ||
        attributes.map_state != IsViewable || attributes.width < 2 || attributes.height < 2) {
        return false;
    }
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return false;
    }
    const unsigned long first = XGetPixel(image, 0, 0);
    bool varied = false;
    for (int y = 0; y < attributes.height && !varied; ++y) {
        for (int x = 0; x < attributes.width && !varied; ++x) {
            varied = XGetPixel(image, x, y) != first;
        }
    }
    XDestroyImage(image);
    return varied;
}
