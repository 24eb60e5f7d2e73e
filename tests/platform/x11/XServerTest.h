#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/x11/X11InputSource.h"
#include "ports/InputSource.h"
#include "support/ScopedEnvironment.h"
#include "support/XvfbServer.h"

// A test with an X server of its own, named in DISPLAY, and real synthetic input from xdotool.
// Without Xvfb or xdotool the test fails and says what is missing.
class XServerTest : public ::testing::Test {
protected:
    void SetUp() override;

    void Xdotool(std::vector<std::string> arguments);

    // Switches the test server's keyboard to this layout ("de", "fr", "ru", ...).
    void UseLayout(const std::string& layout);

    // The keycode of a keysym on the test's server, to hand to xdotool: a key given by its
    // keycode is pressed alone, where xdotool surrounds a modifier key named by its keysym with
    // extra presses and releases of modifiers.
    static std::string Keycode(const char* keysym);

    // Everything `source` delivers until an end marker (a press of F12, which the tests do not
    // use otherwise), as text: "key 0x41 down", "buttons 0x0001", "hot key 100". Raw events come
    // in the order the server made them, so anything delivered twice shows up before the marker.
    std::vector<std::string> DeliveredUntilMarker(InputSource& source);

    static std::string Describe(const RawInput& input);

    XvfbServer server;
    ScopedEnvironment environment;
};

// The same with the desktop's input source open on the test's server.
class X11InputSourceTestBase : public XServerTest {
protected:
    void SetUp() override;

    // What the source delivers after these xdotool arguments, up to the end marker.
    std::vector<std::string> After(std::vector<std::string> xdotool);

    std::unique_ptr<X11InputSource> source;
};
