#pragma once

#include <functional>
#include <string>
#include <vector>

// Finds the keyboards and mice among a folder's input device entries (/dev/input/event*) by
// what they can report, never by their names, and opens them for reading without blocking.
class EvdevDeviceScan {
public:
    struct Kind {
        bool keyboard = false;
        bool mouse = false;
    };
    // What an open device can report; the kernel's answer in use, a test's own in tests.
    using CapabilityQuery = std::function<Kind(int fd)>;

    struct Device {
        std::string path;
        int fd = -1;  // owned by the caller once returned
        Kind kind;
    };
    struct Result {
        std::vector<Device> devices;
        // Entries that could not be opened, with why (permission, most often).
        std::vector<std::string> refused;
    };

    // The kernel's answer through EVIOCGBIT: a keyboard has letter keys and Space, a mouse
    // relative X and Y and a left button. Touchpads and tablets (absolute axes) are neither.
    static Kind KernelCapabilities(int fd);

    // Opens every event* entry of `folder` and keeps the keyboards and mice; the others are
    // closed again.
    static Result Scan(const std::string& folder, const CapabilityQuery& query);

    // Opens the one entry `path` as Scan does; false with `refused` filled or not an input of
    // ours (fd closed).
    static bool Open(const std::string& path, const CapabilityQuery& query, Device* device,
                     std::string* refused);
};
