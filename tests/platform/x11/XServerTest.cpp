#include "platform/x11/XServerTest.h"

#include <poll.h>

#include <cstdio>
#include <utility>

#include "support/RunProgram.h"

#include <X11/Xlib.h>

void XServerTest::SetUp() {
    ASSERT_FALSE(server.Name().empty()) << server.Problem();
    environment.Set("DISPLAY", server.Name());
}

void XServerTest::Xdotool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    const int status = RunProgram(arguments);
    ASSERT_NE(status, -1) << "xdotool is not installed (scripts/install-deps installs it)";
    ASSERT_EQ(status, 0) << "xdotool failed";
}

void XServerTest::UseLayout(const std::string& layout) {
    const int status = RunProgram({"setxkbmap", "-layout", layout});
    ASSERT_NE(status, -1) << "setxkbmap is not installed (scripts/install-deps installs it)";
    ASSERT_EQ(status, 0) << "setxkbmap -layout " << layout << " failed";
}

std::string XServerTest::Keycode(const char* keysym) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        ADD_FAILURE() << "cannot connect to the test's X server";
        return {};
    }
    const KeyCode keycode = XKeysymToKeycode(display, XStringToKeysym(keysym));
    XCloseDisplay(display);
    EXPECT_NE(keycode, 0) << keysym << " is not on the test server's keyboard";
    return std::to_string(keycode);
}

std::vector<std::string> XServerTest::DeliveredUntilMarker(InputSource& source) {
    Xdotool({"key", "F12"});
    std::vector<std::string> delivered;
    bool marked = false;
    const auto onInput = [&](const RawInput& input) {
        const std::string text = Describe(input);
        if (text == "key 0x7B up") {
            marked = true;
        } else if (text != "key 0x7B down" && !marked) {
            delivered.push_back(text);
        }
    };
    const auto onHotKey = [&](int id) { delivered.push_back("hot key " + std::to_string(id)); };
    // Dispatch first: events read along with an earlier reply wait in Xlib's queue, which the
    // descriptor does not show.
    while (source.Dispatch(onInput, onHotKey) && !marked) {
        pollfd readable = {source.FileDescriptor(), POLLIN, 0};
        if (poll(&readable, 1, 20'000) <= 0) {
            ADD_FAILURE() << "the end marker never arrived";
            break;
        }
    }
    EXPECT_TRUE(marked);
    return delivered;
}

std::string XServerTest::Describe(const RawInput& input) {
    char text[32];
    if (input.header.dwType == RawInput::kTypeKeyboard) {
        std::snprintf(text, sizeof text, "key 0x%02X %s", input.keyboard.VKey,
                      input.keyboard.Message == RawInput::kKeyDown ? "down"
                      : input.keyboard.Message == RawInput::kKeyUp ? "up"
                                                                   : "other");
    } else {
        std::snprintf(text, sizeof text, "buttons 0x%04X", input.mouse.usButtonFlags);
    }
    return text;
}

void X11InputSourceTestBase::SetUp() {
    XServerTest::SetUp();
    std::string error;
    source = X11InputSource::Open({}, &error);
    ASSERT_NE(source, nullptr) << error;
}

std::vector<std::string> X11InputSourceTestBase::After(std::vector<std::string> xdotool) {
    Xdotool(std::move(xdotool));
    return DeliveredUntilMarker(*source);
}
