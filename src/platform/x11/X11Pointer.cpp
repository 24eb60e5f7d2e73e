#include "platform/x11/X11Pointer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <unistd.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr std::int32_t kDefaultPixelsPerInch = 96;

// The RESOURCE_MANAGER property as it is now; Xlib's copy is from the time of connecting.
std::string ReadResources(Display* display) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::string resources;
    if (XGetWindowProperty(display, RootWindow(display, 0), XA_RESOURCE_MANAGER, 0, LONG_MAX / 4,
                           False, XA_STRING, &type, &format, &items, &remaining,
                           &data) == Success &&
        data != nullptr) {
        if (type == XA_STRING && format == 8) {
            resources.assign(reinterpret_cast<const char*>(data), items);
        }
        XFree(data);
    }
    return resources;
}

std::string OwnHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

}  // namespace

std::unique_ptr<X11Pointer> X11Pointer::Open(const std::string& displayName, std::string* error) {
    std::unique_ptr<X11Connection> connection = X11Connection::Open(displayName, error);
    if (!connection) {
        return nullptr;
    }
    const char* xrdp = std::getenv("XRDP_SESSION");
    const bool remote =
        IsRemoteDisplayName(connection->Name()) || (xrdp != nullptr && *xrdp != '\0');
    return std::unique_ptr<X11Pointer>(new X11Pointer(std::move(connection), remote));
}

X11Pointer::X11Pointer(std::unique_ptr<X11Connection> connection, bool remote)
    : connection_(std::move(connection)), remote_(remote) {}

void X11Pointer::MeasurePixelsPerInch(std::int32_t& perInchX, std::int32_t& perInchY) {
    perInchX = perInchY = connection_->Lost()
                              ? kDefaultPixelsPerInch
                              : PixelsPerInchFromResources(ReadResources(connection_->Get()));
}

bool X11Pointer::GetCursorPos(std::int32_t& x, std::int32_t& y) {
    if (connection_->Lost()) {
        return false;
    }
    Display* display = connection_->Get();
    Window root = None, child = None;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned state = 0;
    // False only says the pointer is on another screen; the root position is still right.
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX,
                  &windowY, &state);
    if (connection_->Lost()) {
        return false;
    }
    x = rootX;
    y = rootY;
    return true;
}

bool X11Pointer::IsRemoteDisplayName(std::string_view displayName) {
    // [protocol/][host]:display[.screen]; a path (launchd's sockets) is local.
    if (displayName.empty() || displayName.front() == '/') {
        return false;
    }
    std::string_view protocol;
    if (const auto slash = displayName.find('/'); slash != std::string_view::npos) {
        protocol = displayName.substr(0, slash);
        displayName.remove_prefix(slash + 1);
    }
    const auto colon = displayName.rfind(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    std::string_view host = displayName.substr(0, colon);
    if (!host.empty() && host.back() == ':') {
        host.remove_suffix(1);  // DECnet's "host::0"
    }
    if (protocol == "unix" || protocol == "local") {
        return false;
    }
    return !host.empty() && host != "unix" && host != OwnHostName();
}

std::int32_t X11Pointer::PixelsPerInchFromResources(const std::string& resources) {
    static std::once_flag initialised;
    std::call_once(initialised, XrmInitialize);
    XrmDatabase database = XrmGetStringDatabase(resources.c_str());
    if (database == nullptr) {
        return kDefaultPixelsPerInch;
    }
    char* type = nullptr;
    XrmValue value = {};
    std::int32_t perInch = kDefaultPixelsPerInch;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
        // Not strtod: the program's locale may write its decimal point as a comma.
        const char* text = value.addr;
        double dpi = 0;
        const auto [end, problem] = std::from_chars(text, text + std::strlen(text), dpi);
        if (problem == std::errc() && end != text && dpi >= 1 && dpi <= 10000) {
            perInch = static_cast<std::int32_t>(std::lround(dpi));
        }
    }
    XrmDestroyDatabase(database);
    return perInch;
}
