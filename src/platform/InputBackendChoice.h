#pragma once

#include <functional>
#include <string>

// Which input backend a session needs: in a Wayland session the X server is only XWayland,
// which sees the keys of X programs alone, so the kernel's devices are read instead.
// KESTROVIN_INPUT=x11|evdev overrides the choice for tests and unusual set-ups.
enum class InputBackend { X11, Evdev };

// `environment` answers a variable's value, empty when unset.
InputBackend ChooseInputBackend(const std::function<std::string(const char*)>& environment);

// What the user is told, once, when no input device could be opened in a Wayland session.
std::string EvdevAccessRefusedText(const std::string& firstRefusal);
