#include "platform/x11/X11Pointer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "counting/AccountState.h"
#include "counting/MouseSampler.h"
#include "counting/Preferences.h"
#include "platform/x11/XServerTest.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

class X11PointerTest : public XServerTest {
protected:
    void SetUp() override {
        XServerTest::SetUp();
        std::string error;
        pointer = X11Pointer::Open({}, &error);
        ASSERT_NE(pointer, nullptr) << error;
    }

    // What a desktop's settings daemon (or xrdb) does when the user picks a scaling.
    void SetServerResources(const std::string& resources) {
        Display* display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                        static_cast<int>(resources.size()));
        XCloseDisplay(display);
    }

    std::unique_ptr<X11Pointer> pointer;
};

TEST_F(X11PointerTest, ReadsTheCursorPosition) {
    Xdotool({"mousemove", "100", "200"});
    std::int32_t x = 0, y = 0;
    ASSERT_TRUE(pointer->GetCursorPos(x, y));
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 200);
}

TEST_F(X11PointerTest, PixelsPerInchAre96UnlessXftDpiSaysOtherwise) {
    std::int32_t perInchX = 0, perInchY = 0;
    pointer->MeasurePixelsPerInch(perInchX, perInchY);
    EXPECT_EQ(perInchX, 96);
    EXPECT_EQ(perInchY, 96);

    // Set after connecting: the value is read afresh.
    SetServerResources("Xcursor.size:\t24\nXft.dpi:\t144\n");
    pointer->MeasurePixelsPerInch(perInchX, perInchY);
    EXPECT_EQ(perInchX, 144);
    EXPECT_EQ(perInchY, 144);
}

TEST_F(X11PointerTest, TheMouseSamplerMeasuresTheRealCursor) {
    AccountState account = AccountState::StartValues();
    Preferences preferences;
    MouseSampler sampler(*pointer, account, preferences);
    sampler.MeasureScreen();
    Xdotool({"mousemove", "0", "0"});
    sampler.Sample();
    Xdotool({"mousemove", "96", "0"});
    sampler.Sample();
    EXPECT_DOUBLE_EQ(account.UnsentMetres, 0.0254);
}

TEST_F(X11PointerTest, ALostServerGivesNoPositionAndTheDefaultDpi) {
    server.Stop();
    std::int32_t x = 0, y = 0, perInchX = 0, perInchY = 0;
    EXPECT_FALSE(pointer->GetCursorPos(x, y));
    EXPECT_FALSE(pointer->GetCursorPos(x, y));
    pointer->MeasurePixelsPerInch(perInchX, perInchY);
    EXPECT_EQ(perInchX, 96);
}

TEST_F(X11PointerTest, AnXrdpSessionIsRemote) {
    EXPECT_FALSE(pointer->IsRemoteSession());
    environment.Set("XRDP_SESSION", "1");
    EXPECT_TRUE(X11Pointer::Open()->IsRemoteSession());
}

TEST(X11PointerNamesTest, DisplaysOnOtherHostsAreRemote) {
    const struct {
        const char* display;
        bool remote;
    } cases[] = {
        {":0", false},
        {":0.1", false},
        {"unix:0", false},
        {"unix/:0", false},
        {"/tmp/launch-abc/org.xquartz:0", false},
        {"", false},
        {"localhost:10.0", true},  // how SSH forwards X
        {"otherhost:0", true},
        {"tcp/otherhost:0", true},
        {"192.168.1.20:0", true},
        {"[::1]:0", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(X11Pointer::IsRemoteDisplayName(c.display), c.remote) << c.display;
    }
}

TEST(X11PointerNamesTest, PixelsPerInchFromTheResourceText) {
    const struct {
        const char* resources;
        std::int32_t perInch;
    } cases[] = {
        {"", 96},
        {"Xft.dpi:\t120\n", 120},
        {"Xft.dpi: 143.6\n", 144},
        {"Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n", 192},
        {"Xft.dpi: large\n", 96},
        {"Xft.dpi: 0\n", 96},
        {"Xft.dpi: -120\n", 96},
        {"Xft.rgba: rgb\n", 96},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(X11Pointer::PixelsPerInchFromResources(c.resources), c.perInch) << c.resources;
    }
}

}  // namespace
