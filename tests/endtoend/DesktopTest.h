#pragma once

// The desktop program end to end: its own X server, a tray panel, the reference statistics
// server and synthetic keystrokes and clicks, all started, and ended by process id, per test.
// This is the fixture every end-to-end test file shares.

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "AccountDatabase.h"
#include "counting/KeyFrequencyTable.h"
#include "persistence/FileTypedStore.h"
#include "support/ChildProcess.h"
#include "support/ListeningAddress.h"
#include "support/PrivateDesktopHome.h"
#include "support/TempFolder.h"
#include "support/Words.h"
#include "support/XvfbServer.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kUser = "deskuser";
constexpr const char* kPassword = "desk-pass-1";
// The program refuses a skeld sooner than this after its start (seconds, plus one for its
// whole-second clock).
constexpr auto kSkeldAllowedAfterStart = 21s;

// Asks again every 100 ms until `condition` holds or `limit` has passed.
inline bool PollUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value after "Label:" in kestrovin-cli status output, or "" when the line is missing.
inline std::string StatusValue(const std::string& status, const std::string& label) {
    std::istringstream lines(status);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with(label + ":")) {
            const std::size_t start = line.find_first_not_of(' ', label.size() + 1);
            return start == std::string::npos ? "" : line.substr(start);
        }
    }
    return "";
}

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(xvfb_.Name().empty()) << xvfb_.Problem();
        ASSERT_TRUE(PrivateDesktopHome::Create(folder_.Path()));

        server_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{KESTROVIN_STATS_SERVER, "--port", "0", "--db",
                                     (folder_ / "stats.sqlite").string()},
            PrivateDesktopHome::WithoutDesktop(), folder_ / "server.out");
        std::optional<std::string> address;
        ASSERT_TRUE(PollUntil(
            [&] { return (address = ListeningAddress(folder_ / "server.out")).has_value(); }, 10s))
            << "the statistics server did not start: " << ReadFile(folder_ / "server.out");
        environment_ = ChildEnvironment(*address);

        StartWindowManager();
        if (HasFatalFailure()) {
            return;
        }
        StartTray();
        if (HasFatalFailure() || IsSkipped()) {
            return;
        }

        const ProgramResult registered =
            RunToEnd({KESTROVIN_CLI, "register", "--user", kUser, "--password", kPassword,
                      "--email", "desk@example.com", "--computer", "desk"},
                     environment_);
        ASSERT_EQ(registered.Status, 0) << registered.Output;
        // The splash would take the first click on the tray icon for itself; it has a test
        // of its own.
        SetPreference("ShowSplash", 0);
    }

    // The window manager the test runs under: KESTROVIN_TEST_WM names it ("xfwm4", "openbox"),
    // none when it is unset or empty. ctest runs every test under each of the three, since
    // stacking, frames and focus differ and users have one.
    static std::string WindowManager() {
        const char* name = std::getenv("KESTROVIN_TEST_WM");
        return name == nullptr ? "" : name;
    }

    void StartWindowManager() {
        const std::string name = WindowManager();
        if (name.empty()) {
            return;
        }
        std::vector<std::string> command;
        if (name == "xfwm4") {
            command = {"xfwm4", "--compositor=off", "--sm-client-disable"};
        } else if (name == "openbox") {
            command = {"openbox", "--sm-disable"};
        } else {
            FAIL() << "KESTROVIN_TEST_WM names no window manager the tests know: " << name;
        }
        // xfwm4 reads its settings from xfconfd, which it reaches over a session bus: one of
        // its own, apart from the bus a test may give the program.
        std::vector<std::string> wmEnvironment = environment_;
        wmBus_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address"},
            environment_, folder_ / "wm-bus.out");
        std::string busAddress;
        ASSERT_TRUE(PollUntil(
            [&] {
                const std::string out = ReadFile(folder_ / "wm-bus.out");
                busAddress = out.substr(0, out.find('\n'));
                return out.starts_with("unix:") && out.find('\n') != std::string::npos;
            },
            10s))
            << ReadFile(folder_ / "wm-bus.out");
        std::erase_if(wmEnvironment, [](const std::string& variable) {
            return variable.starts_with("DBUS_SESSION_BUS_ADDRESS=");
        });
        wmEnvironment.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress);
        // Nor its accessibility bus: that would announce itself on the root window
        // (AT_SPI_BUS), where the screen reader of a test would then look instead of its own.
        wmEnvironment.push_back("NO_AT_BRIDGE=1");
        windowManager_ = std::make_unique<ChildProcess>(command, wmEnvironment, folder_ / "wm.out");
        // A window manager announces itself on the root window once it manages the screen.
        ASSERT_TRUE(PollUntil(
            [&] {
                return RunToEnd({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, environment_)
                           .Output.find("window id") != std::string::npos;
            },
            10s))
            << name << " did not start (scripts/install-deps installs it): "
            << ReadFile(folder_ / "wm.out");
    }

    // The managed windows from the bottom to the top, as xdotool names them (decimal ids):
    // the window manager's stacking list, or without one the X server's own order of the
    // root window's children.
    std::vector<std::string> StackingOrder() const {
        std::vector<std::string> order;
        if (!WindowManager().empty()) {
            const std::string list =
                RunToEnd({"xprop", "-root", "_NET_CLIENT_LIST_STACKING"}, environment_).Output;
            for (std::size_t at = list.find("0x"); at != std::string::npos;
                 at = list.find("0x", at + 2)) {
                order.push_back(std::to_string(std::stoul(list.substr(at), nullptr, 16)));
            }
            return order;
        }
        // xwininfo lists the root window's children from the top one down.
        std::istringstream tree(RunToEnd({"xwininfo", "-root", "-children"}, environment_).Output);
        for (std::string line; std::getline(tree, line);) {
            const std::size_t at = line.find("0x");
            if (at != std::string::npos && line.find("children") == std::string::npos &&
                line.find("Root window") == std::string::npos &&
                line.find("Parent window") == std::string::npos) {
                order.insert(order.begin(),
                             std::to_string(std::stoul(line.substr(at), nullptr, 16)));
            }
        }
        return order;
    }

    // True when `upper` is stacked above `lower`.
    bool StackedAbove(const std::string& upper, const std::string& lower) const {
        const std::vector<std::string> order = StackingOrder();
        const auto up = std::find(order.begin(), order.end(), upper);
        const auto low = std::find(order.begin(), order.end(), lower);
        return up != order.end() && low != order.end() && up > low;
    }

    // The window `window` is transient for (its dialog's owner), as xdotool names it; "" for
    // none.
    std::string TransientFor(const std::string& window) const {
        const std::string property =
            RunToEnd({"xprop", "-id", window, "WM_TRANSIENT_FOR"}, environment_).Output;
        const std::size_t at = property.find("0x");
        return at == std::string::npos
                   ? ""
                   : std::to_string(std::stoul(property.substr(at), nullptr, 16));
    }

    // A picture's file name with the window manager in it, so that the runs under each keep
    // their own: "KeyFrequencies.png" under xfwm4 is "KeyFrequencies-xfwm4.png".
    static std::string PictureName(const std::string& name) {
        const std::string manager = WindowManager();
        if (manager.empty()) {
            return name;
        }
        const std::size_t dot = name.rfind('.');
        return dot == std::string::npos ? name + "-" + manager
                                        : name.substr(0, dot) + "-" + manager + name.substr(dot);
    }

    // The tray the program docks in: trayer, an XEmbed tray at the top of the screen.
    virtual void StartTray() {
        trayer_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype",
                                     "request", "--height", "24"},
            environment_, folder_ / "trayer.out");
        ASSERT_TRUE(PollUntil(
            [&] {
                return !Xdotool({"search", "--class", "trayer"}).empty();
            },
            10s))
            << "trayer did not come up (scripts/install-deps installs it): "
            << ReadFile(folder_ / "trayer.out");
    }

    void TearDown() override {
        if (HasFailure()) {
            SaveScreenshot();
            // The log's end: it may be long.
            const std::string log = ReadFile(DataFile("Debug.log"));
            constexpr std::size_t kShown = 64 * 1024;
            std::cerr << "kestrovin's output:\n"
                      << ReadFile(folder_ / "kestrovin.out") << "Debug.log:\n"
                      << (log.size() > kShown ? log.substr(log.size() - kShown) : log);
        }
        // The programs before the servers they talk to; the X server goes last, with the
        // fixture.
        counters_.clear();
        trayer_.reset();
        server_.reset();
        windowManager_.reset();
        wmBus_.reset();
    }

    std::vector<std::string> ChildEnvironment(const std::string& serverAddress) const {
        std::vector<std::string> result =
            PrivateDesktopHome::Environment(folder_.Path(), xvfb_.Name(), serverAddress);
        // For sanitizer builds: the leaks of system libraries are not ours to report.
        result.push_back("LSAN_OPTIONS=suppressions=" KESTROVIN_LSAN_SUPPRESSIONS);
        return result;
    }

    std::filesystem::path DataFile(const std::string& name) const {
        return folder_ / "data" / "Kestrovin" / name;
    }

    // xdotool's output; an empty text when it failed or found nothing.
    std::string Xdotool(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "xdotool");
        const ProgramResult result = RunToEnd(arguments, environment_);
        return result.Status == 0 ? result.Output : "";
    }

    // The first visible window of the process, or "" when it has none.
    std::string VisibleWindowOf(pid_t pid) const {
        const std::vector<std::string> windows =
            Words(Xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)}));
        return windows.empty() ? "" : windows.front();
    }

    // The visible windows of the process with this title, apart from its tray icon.
    std::vector<std::string> WindowsNamed(pid_t pid, const std::string& icon,
                                          const std::string& title) const {
        std::vector<std::string> named;
        for (const std::string& window :
             Words(Xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)}))) {
            if (Xdotool({"getwindowname", window}) == title + "\n" && window != icon) {
                named.push_back(window);
            }
        }
        return named;
    }

    // The first such window, waited for up to 10 s; "" when none came.
    std::string WaitForWindow(pid_t pid, const std::string& icon, const std::string& title) const {
        std::vector<std::string> found;
        PollUntil([&] { return !(found = WindowsNamed(pid, icon, title)).empty(); }, 10s);
        return found.empty() ? std::string() : found.front();
    }

    struct Geometry {
        int X = 0, Y = 0, Width = 0, Height = 0;
    };
    Geometry GeometryOf(const std::string& window) const {
        Geometry result;
        std::istringstream shell(Xdotool({"getwindowgeometry", "--shell", window}));
        for (std::string line; std::getline(shell, line);) {
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos) {
                continue;
            }
            const std::string name = line.substr(0, equals);
            const int value = std::atoi(line.c_str() + equals + 1);
            if (name == "X") {
                result.X = value;
            } else if (name == "Y") {
                result.Y = value;
            } else if (name == "WIDTH") {
                result.Width = value;
            } else if (name == "HEIGHT") {
                result.Height = value;
            }
        }
        return result;
    }

    // Starts kestrovin and waits until its icon sits in the tray and its start is complete.
    // The icon may dock before the program listens to the keyboard, so the sign of a finished
    // start is the last thing it sets up: its handler for the session's end (SIGTERM). From
    // then on typing counts and SIGTERM saves. The icon's window, or "" when there is none.
    std::string StartCounter() {
        counters_.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{KESTROVIN}, environment_, folder_ / "kestrovin.out"));
        const pid_t pid = counters_.back()->Pid();
        std::string icon;
        PollUntil(
            [&] {
                icon = VisibleWindowOf(pid);
                return !icon.empty() && CatchesSigterm(pid);
            },
            30s);
        counterStarted_ = Clock::now();
        return icon;
    }

    static bool CatchesSigterm(pid_t pid) {
        std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status"));
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("SigCgt:")) {
                const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
                return (caught >> (SIGTERM - 1) & 1) != 0;
            }
        }
        return false;
    }

    // Ends the newest kestrovin as the session's end would; true when it ended by itself, with
    // status 0, on SIGTERM.
    bool StopCounter() {
        ChildProcess& counter = *counters_.back();
        return counter.Stop(20s) && counter.ExitStatus() == 0;
    }

    void WaitUntilSkeldAllowed() const {
        std::this_thread::sleep_until(counterStarted_ + kSkeldAllowedAfterStart);
    }

    void Type(const std::string& text) const { Xdotool({"type", "--delay", "20", text}); }
    // A left click on the empty screen, away from the tray and any window.
    void ClickOnDesktop() const { Xdotool({"mousemove", "300", "500", "click", "1"}); }

    std::string Status() const {
        const ProgramResult status = RunToEnd({KESTROVIN_CLI, "status"}, environment_);
        EXPECT_EQ(status.Status, 0) << status.Output;
        return status.Output;
    }

    // The account's lifetime totals as the statistics server keeps them.
    Account ServerAccount() const {
        AccountDatabase database;
        std::string error;
        if (!database.Open(folder_ / "stats.sqlite", error)) {
            ADD_FAILURE() << error;
            return {};
        }
        return database.FindAccountByName(kUser).value;
    }

    bool ServerKeysReach(std::int64_t keys) const {
        return PollUntil([&] { return ServerAccount().totalKeys >= keys; }, 20s);
    }

    // Settings the program reads at its start, written as the typed store keeps them.
    void SetPreference(const std::string& name, std::int32_t value,
                       const std::string& section = "Preferences") const {
        FileTypedStore store(folder_ / "config" / "Kestrovin" / "registry.conf");
        store.WriteInt("Software\\Kestrovin\\" + section, name, value);
        ASSERT_TRUE(store.Flush());
    }

    // Whether the window's average colour is more blue than red: the sending picture is blue,
    // the others orange.
    bool IconLooksBlue(const std::string& window) const {
        const ProgramResult average =
            RunToEnd({"sh", "-c",
                      "import -display " + xvfb_.Name() + " -window " + window +
                          " png:- | convert png:- -scale '1x1!' -format '%[fx:r] %[fx:b]' info:"},
                     PrivateDesktopHome::WithoutDesktop());
        std::istringstream values(average.Output);
        double red = 1;
        double blue = 0;
        values >> red >> blue;
        return average.Status == 0 && blue > red;
    }

    // A private session bus; its address goes into the environment of every program started
    // from now on.
    void StartBus() {
        bus_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address"},
            environment_, folder_ / "bus.out");
        std::string address;
        ASSERT_TRUE(PollUntil(
            [&] {
                const std::string out = ReadFile(folder_ / "bus.out");
                if (!out.starts_with("unix:") || out.find('\n') == std::string::npos) {
                    return false;
                }
                address = out.substr(0, out.find('\n'));
                return true;
            },
            10s))
            << "no session bus (scripts/install-deps installs dbus-daemon): "
            << ReadFile(folder_ / "bus.out");
        SetVariable("DBUS_SESSION_BUS_ADDRESS", address);
    }

    void SetVariable(const std::string& name, const std::string& value) {
        std::erase_if(environment_, [&](const std::string& variable) {
            return variable.starts_with(name + "=");
        });
        environment_.push_back(name + "=" + value);
    }

    // Opens the tray menu with a right click on the icon; the menu's window, or "" when no
    // menu came.
    std::string OpenTrayMenu(pid_t pid, const std::string& icon) const {
        const auto windows = [&] {
            return Words(Xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)}));
        };
        const std::vector<std::string> before = windows();
        const Geometry iconAt = GeometryOf(icon);
        Xdotool({"mousemove", std::to_string(iconAt.X + iconAt.Width / 2),
                 std::to_string(iconAt.Y + iconAt.Height / 2), "click", "3"});
        std::string menu;
        PollUntil(
            [&] {
                for (const std::string& window : windows()) {
                    if (std::find(before.begin(), before.end(), window) == before.end()) {
                        menu = window;
                        return true;
                    }
                }
                return false;
            },
            10s);
        return menu;
    }

    // Opens "Your Local Account Details" from the tray menu: its Account submenu (by its
    // mnemonic) and a click on the submenu's first item ("l" would be ambiguous there). The
    // dialog's window, or "" when none came.
    std::string OpenAccountDetails(pid_t pid, const std::string& icon) const {
        const auto windows = [&] {
            return Words(Xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)}));
        };
        if (OpenTrayMenu(pid, icon).empty()) {
            return "";
        }
        const std::vector<std::string> menus = windows();
        Xdotool({"key", "a"});
        std::string submenu;
        PollUntil(
            [&] {
                for (const std::string& window : windows()) {
                    if (std::find(menus.begin(), menus.end(), window) == menus.end()) {
                        submenu = window;
                        return true;
                    }
                }
                return false;
            },
            10s);
        if (submenu.empty()) {
            return "";
        }
        const Geometry submenuAt = GeometryOf(submenu);
        Xdotool({"mousemove", std::to_string(submenuAt.X + submenuAt.Width / 2),
                 std::to_string(submenuAt.Y + 12), "click", "1"});
        return WaitForWindow(pid, icon, "Your Local Account Details");
    }

    // The per-key tally as the program saved it: key code to count.
    std::map<std::int32_t, std::int32_t> KeyTally() const {
        KeyFrequencyTable frequencies;
        EXPECT_TRUE(frequencies.Load(DataFile("keyfreq.bin")));
        return {frequencies.Entries().begin(), frequencies.Entries().end()};
    }

    // A picture of one window, kept beside those of failed tests; its path.
    std::filesystem::path KeepWindowPicture(const std::string& window,
                                            const std::string& name) const {
        const std::filesystem::path pictures = KESTROVIN_SCREENSHOT_FOLDER;
        std::error_code ignored;
        std::filesystem::create_directories(pictures, ignored);
        RunToEnd({"import", "-display", xvfb_.Name(), "-window", window,
                  (pictures / PictureName(name)).string()},
                 PrivateDesktopHome::WithoutDesktop());
        return pictures / PictureName(name);
    }

    void SaveScreenshot() const {
        const std::filesystem::path folder = KESTROVIN_SCREENSHOT_FOLDER;
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::filesystem::path file = folder / PictureName(std::string(test->name()) + ".png");
        if (RunToEnd({"import", "-display", xvfb_.Name(), "-window", "root", file.string()},
                     PrivateDesktopHome::WithoutDesktop())
                .Status == 0) {
            std::cerr << "Screenshot: " << file.string() << '\n';
        }
    }

    // Declared first, so it is the last to go.
    XvfbServer xvfb_;
    TempFolder folder_;
    std::vector<std::string> environment_;
    std::unique_ptr<ChildProcess> bus_;    // only where a test starts one
    std::unique_ptr<ChildProcess> wmBus_;  // only under a window manager
    std::unique_ptr<ChildProcess> windowManager_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> trayer_;
    std::vector<std::unique_ptr<ChildProcess>> counters_;
    Clock::time_point counterStarted_;
};
