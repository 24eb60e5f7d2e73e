#include "platform/InputBackendChoice.h"

InputBackend ChooseInputBackend(const std::function<std::string(const char*)>& environment) {
    const std::string forced = environment("KESTROVIN_INPUT");
    if (forced == "x11") {
        return InputBackend::X11;
    }
    if (forced == "evdev") {
        return InputBackend::Evdev;
    }
    if (!environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland") {
        return InputBackend::Evdev;
    }
    return InputBackend::X11;
}

std::string EvdevAccessRefusedText(const std::string& firstRefusal) {
    std::string text =
        "Kestrovin cannot read the keyboards and mice of this Wayland session, so it counts "
        "nothing. To let it, add yourself to the input group: sudo usermod -aG input $USER, "
        "then log in again. In that group every program you run can read every keyboard, "
        "passwords included.";
    if (!firstRefusal.empty()) {
        text += "\n(" + firstRefusal + ")";
    }
    return text;
}
