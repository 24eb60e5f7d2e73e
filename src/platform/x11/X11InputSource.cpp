#include "platform/x11/X11InputSource.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <optional>

namespace {

constexpr const char* kNoRawInput =
    "The X server does not support XInput 2.2; Kestrovin cannot count input.";
constexpr const char* kNoKeyboardExtension =
    "The X server does not support the X keyboard extension; Kestrovin cannot count input.";
constexpr const char* kLostAtStart =
    "The connection to the X server was lost; Kestrovin cannot count input.";

// The Windows transition bits of an X button: 1 left, 2 middle, 3 right, 8 back and 9 forward
// (Windows' buttons 1, 3, 2, 4 and 5). Buttons 4 to 7 are the wheel, not clicks: 0.
std::uint16_t ButtonFlags(unsigned button, bool press) {
    switch (button) {
        case 1:
            return press ? RawInput::kButton1Down : RawInput::kButton1Up;
        case 2:
            return press ? RawInput::kButton3Down : RawInput::kButton3Up;
        case 3:
            return press ? RawInput::kButton2Down : RawInput::kButton2Up;
        case 8:
            return press ? RawInput::kButton4Down : RawInput::kButton4Up;
        case 9:
            return press ? RawInput::kButton5Down : RawInput::kButton5Up;
        default:
            return 0;
    }
}

bool Watch(int readiness, int descriptor) {
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.fd = descriptor;
    return epoll_ctl(readiness, EPOLL_CTL_ADD, descriptor, &event) == 0;
}

void Fail(std::string* error, const char* description) {
    if (error != nullptr) {
        *error = description;
    }
}

}  // namespace

std::unique_ptr<X11InputSource> X11InputSource::Open(const std::string& displayName,
                                                     std::string* error) {
    std::unique_ptr<X11Connection> connection = X11Connection::Open(displayName, error);
    if (!connection) {
        if (error != nullptr) {
            *error += " Kestrovin cannot count input.";
        }
        return nullptr;
    }
    Display* display = connection->Get();
    int opcode = 0, firstEvent = 0, firstError = 0;
    int major = 2, minor = 2;
    // Before 2.2 raw events stop while another client grabs the keyboard.
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2 ||
        (major == 2 && minor < 2)) {
        Fail(error, connection->Lost() ? kLostAtStart : kNoRawInput);
        return nullptr;
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

    // NumLock changes come as keyboard-extension events among the raw events, in order; the
    // state read after selecting them is the start.
    int keyboardOpcode = 0, keyboardEventType = 0, keyboardError = 0;
    int keyboardMajor = XkbMajorVersion, keyboardMinor = XkbMinorVersion;
    XkbStateRec state = {};
    if (!XkbQueryExtension(display, &keyboardOpcode, &keyboardEventType, &keyboardError,
                           &keyboardMajor, &keyboardMinor) ||
        !XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, XkbModifierLockMask,
                               XkbModifierLockMask) ||
        XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        Fail(error, connection->Lost() ? kLostAtStart : kNoKeyboardExtension);
        return nullptr;
    }
    // Once Open returns, every later event is delivered.
    XSync(display, False);
    if (connection->Lost()) {
        Fail(error, kLostAtStart);
        return nullptr;
    }

    const int readiness = epoll_create1(EPOLL_CLOEXEC);
    if (readiness < 0 || !Watch(readiness, ConnectionNumber(display))) {
        if (readiness >= 0) {
            close(readiness);
        }
        Fail(error, "Cannot watch the X connection; Kestrovin cannot count input.");
        return nullptr;
    }
    std::unique_ptr<X11InputSource> source(
        new X11InputSource(std::move(connection), readiness, opcode, keyboardEventType));
    source->keyboard_.SetLockedModifiers(state.locked_mods);
    return source;
}

X11InputSource::X11InputSource(std::unique_ptr<X11Connection> connection, int readiness,
                               int inputOpcode, int keyboardEventType)
    : connection_(std::move(connection)),
      readiness_(readiness),
      inputOpcode_(inputOpcode),
      keyboardEventType_(keyboardEventType),
      keyboard_(connection_->Get()) {}

X11InputSource::~X11InputSource() {
    close(readiness_);
}

bool X11InputSource::Dispatch(const InputHandler& onInput, const HotKeyHandler& onHotKey,
                              std::string* error) {
    const auto onPress = [&onHotKey] {
        if (onHotKey) {
            onHotKey(kHotKeyId);
        }
    };
    // Until neither connection has anything queued: the descriptor shows only what Xlib has not
    // read yet, and a handler may have made Xlib read more.
    bool any = true;
    while (any && !ReportLost(error)) {
        any = DispatchInput(onInput);
        if (hotKey_ && hotKey_->Dispatch(onPress)) {
            any = true;
        }
    }
    return !ReportLost(error);
}

void X11InputSource::CatchUp() {
    // The reply to a round trip comes after every event the server sent before it.
    if (!connection_->Lost()) {
        XSync(connection_->Get(), False);
    }
}

bool X11InputSource::DispatchInput(const InputHandler& onInput) {
    Display* display = connection_->Get();
    bool any = false;
    // XPending reads what the socket holds without waiting for more.
    while (!connection_->Lost() && XPending(display) > 0) {
        any = true;
        XEvent event;
        XNextEvent(display, &event);
        std::optional<RawInput> input;
        if (event.type == GenericEvent && event.xcookie.extension == inputOpcode_ &&
            XGetEventData(display, &event.xcookie)) {
            const int type = event.xcookie.evtype;
            const unsigned detail =
                static_cast<unsigned>(static_cast<XIRawEvent*>(event.xcookie.data)->detail);
            XFreeEventData(display, &event.xcookie);
            if (type == XI_RawKeyPress || type == XI_RawKeyRelease) {
                // X has no system keys: every release is a plain key-up.
                input =
                    RawInput::Key(keyboard_.VirtualKeyOf(detail),
                                  type == XI_RawKeyPress ? RawInput::kKeyDown : RawInput::kKeyUp);
            } else if (type == XI_RawButtonPress || type == XI_RawButtonRelease) {
                if (const std::uint16_t flags = ButtonFlags(detail, type == XI_RawButtonPress)) {
                    input = RawInput::Buttons(flags);
                }
            }
        } else if (event.type == keyboardEventType_) {
            XkbEvent keyboardEvent;
            keyboardEvent.core = event;
            if (keyboardEvent.any.xkb_type == XkbStateNotify) {
                keyboard_.SetLockedModifiers(keyboardEvent.state.locked_mods);
            }
        } else if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
        }
        // The handler runs with nothing of Xlib's held, so it may dispatch again.
        if (input && onInput) {
            onInput(*input);
        }
    }
    return any;
}

bool X11InputSource::RegisterHotKey(std::string* error) {
    if (ReportLost(error)) {
        return false;
    }
    if (!hotKey_) {
        std::unique_ptr<X11HotKey> hotKey = X11HotKey::Open(connection_->Name(), error);
        if (!hotKey) {
            return false;
        }
        if (!Watch(readiness_, hotKey->FileDescriptor())) {
            Fail(error, "Cannot watch the X connection of the hot key.");
            return false;
        }
        hotKey_ = std::move(hotKey);
    }
    return hotKey_->Grab(error);
}

void X11InputSource::UnregisterHotKey() {
    if (hotKey_ && !hotKey_->Lost()) {
        hotKey_->Ungrab();
    }
}

bool X11InputSource::ReportLost(std::string* error) const {
    if (!connection_->Lost() && !(hotKey_ && hotKey_->Lost())) {
        return false;
    }
    if (error != nullptr) {
        *error = "The connection to the X display \"" + connection_->Name() +
                 "\" was lost; Kestrovin no longer counts input.";
    }
    return true;
}
