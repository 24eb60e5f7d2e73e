#include "platform/InputBackendChoice.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(InputBackendChoiceTest, WaylandSessionsReadDevicesAndTheVariableOverrides) {
    using Env = std::map<std::string, std::string>;
    const struct {
        Env env;
        InputBackend expected;
    } cases[] = {
        {{}, InputBackend::X11},
        {{{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}}, InputBackend::X11},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, InputBackend::Evdev},
        {{{"XDG_SESSION_TYPE", "wayland"}}, InputBackend::Evdev},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"KESTROVIN_INPUT", "x11"}}, InputBackend::X11},
        {{{"KESTROVIN_INPUT", "evdev"}}, InputBackend::Evdev},
        {{{"KESTROVIN_INPUT", "bogus"}, {"XDG_SESSION_TYPE", "wayland"}}, InputBackend::Evdev},
    };
    for (const auto& c : cases) {
        const auto lookup = [&](const char* name) {
            const auto it = c.env.find(name);
            return it == c.env.end() ? std::string() : it->second;
        };
        EXPECT_EQ(ChooseInputBackend(lookup), c.expected) << c.env.size();
    }
}

TEST(InputBackendChoiceTest, RefusalTextGivesTheRemedy) {
    const std::string text = EvdevAccessRefusedText("/dev/input/event3: Permission denied");
    EXPECT_NE(text.find("add yourself to the input group: sudo usermod -aG input $USER, then "
                        "log in again"),
              std::string::npos);
    // The price of the remedy, said before the user pays it.
    EXPECT_NE(text.find("every program you run can read every keyboard"), std::string::npos)
        << text;
    EXPECT_NE(text.find("event3: Permission denied"), std::string::npos);
}

}  // namespace
