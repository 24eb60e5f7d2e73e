#include "platform/x11/X11HotKey.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/x11/X11ErrorTrap.h"

namespace {

// The real modifier a keysym's key is bound to, or `usual` where the keymap binds none.
unsigned ModifierOf(Display* display, KeySym keysym, unsigned usual) {
    const unsigned mask = XkbKeysymToModifiers(display, keysym);
    return mask != 0 ? mask : usual;
}

constexpr unsigned kModifierBits =
    ShiftMask | LockMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;

}  // namespace

std::unique_ptr<X11HotKey> X11HotKey::Open(const std::string& displayName, std::string* error) {
    std::unique_ptr<X11Connection> connection = X11Connection::Open(displayName, error);
    if (!connection) {
        return nullptr;
    }
    return std::unique_ptr<X11HotKey>(new X11HotKey(std::move(connection)));
}

int X11HotKey::FileDescriptor() const {
    return ConnectionNumber(connection_->Get());
}

bool X11HotKey::Grab(std::string* error) {
    if (grabbed_) {
        return true;
    }
    Display* display = connection_->Get();
    keycode_ = XKeysymToKeycode(display, XK_p);
    if (keycode_ == 0) {
        if (error != nullptr) {
            *error = "The keyboard map has no P key for the hot key Alt+Ctrl+P.";
        }
        return false;
    }
    modifiers_ = ControlMask | ModifierOf(display, XK_Alt_L, Mod1Mask);
    numLock_ = ModifierOf(display, XK_Num_Lock, Mod2Mask);

    X11ErrorTrap trap(display);
    for (unsigned locks : LockVariants()) {
        XGrabKey(display, static_cast<int>(keycode_), modifiers_ | locks,
                 DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync);
    }
    if (trap.Sync() != 0) {
        UngrabVariants();
        if (error != nullptr) {
            *error = "Another program already uses the hot key Alt+Ctrl+P.";
        }
        return false;
    }
    grabbed_ = true;
    return true;
}

void X11HotKey::Ungrab() {
    if (grabbed_) {
        X11ErrorTrap trap(connection_->Get());
        UngrabVariants();
        trap.Sync();
        grabbed_ = false;
    }
}

bool X11HotKey::Dispatch(const std::function<void()>& onPress) {
    Display* display = connection_->Get();
    bool any = false;
    while (!connection_->Lost() && XPending(display) > 0) {
        any = true;
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == KeyPress && Matches(event.xkey.keycode, event.xkey.state)) {
            if (onPress) {
                onPress();
            }
        } else if (event.type == MappingNotify && event.xmapping.request != MappingPointer) {
            // P, Alt or NumLock may sit elsewhere now: grab the combination where it is.
            XRefreshKeyboardMapping(&event.xmapping);
            if (grabbed_) {
                Ungrab();
                Grab();
            }
        }
    }
    return any;
}

std::array<unsigned, 4> X11HotKey::LockVariants() const {
    const unsigned capsLock = LockMask;
    return {0u, capsLock, numLock_, capsLock | numLock_};
}

void X11HotKey::UngrabVariants() {
    // Only our own grabs are released; those another program holds stay untouched.
    Display* display = connection_->Get();
    for (unsigned locks : LockVariants()) {
        XUngrabKey(display, static_cast<int>(keycode_), modifiers_ | locks,
                   DefaultRootWindow(display));
    }
}

bool X11HotKey::Matches(unsigned keycode, unsigned state) const {
    return grabbed_ && keycode == keycode_ &&
           (state & kModifierBits & ~(LockMask | numLock_)) == modifiers_;
}
