// The desktop program end to end: its own X server, a tray panel, the reference statistics
// server and synthetic keystrokes and clicks, all started, and ended by process id, per test.
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
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
#include "platform/linux/FileTypedStore.h"
#include "support/ChildProcess.h"
#include "support/ListeningAddress.h"
#include "support/PrivateDesktopHome.h"
#include "support/TempFolder.h"
#include "support/Words.h"
#include "support/XvfbServer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kUser = "deskuser";
constexpr const char* kPassword = "desk-pass-1";
// The program refuses a skeld sooner than this after its start (seconds, plus one for its
// whole-second clock).
constexpr auto kSkeldAllowedAfterStart = 21s;

// Asks again every 100 ms until `condition` holds or `limit` has passed.
bool PollUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A loopback port that takes connections and never answers: an exchange with it lasts until
// the program's receive time-out.
class SilentServer {
public:
    SilentServer() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ >= 0 && ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(socket_, 8) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~SilentServer() {
        if (socket_ >= 0) {
            ::close(socket_);
        }
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    // "127.0.0.1:port", or "" when no port could be had.
    std::string Address() const { return port_ == 0 ? "" : "127.0.0.1:" + std::to_string(port_); }

private:
    int socket_;
    int port_ = 0;
};

// The value after "Label:" in kestrovin-cli status output, or "" when the line is missing.
std::string StatusValue(const std::string& status, const std::string& label) {
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
            std::cerr << "kestrovin's output:\n"
                      << ReadFile(folder_ / "kestrovin.out") << "Debug.log:\n"
                      << ReadFile(DataFile("Debug.log"));
        }
        // The programs before the servers they talk to; the X server goes last, with the
        // fixture.
        counters_.clear();
        trayer_.reset();
        server_.reset();
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

    // A picture of one window, kept beside those of failed tests; its path.
    std::filesystem::path KeepWindowPicture(const std::string& window,
                                            const std::string& name) const {
        const std::filesystem::path pictures = KESTROVIN_SCREENSHOT_FOLDER;
        std::error_code ignored;
        std::filesystem::create_directories(pictures, ignored);
        RunToEnd(
            {"import", "-display", xvfb_.Name(), "-window", window, (pictures / name).string()},
            PrivateDesktopHome::WithoutDesktop());
        return pictures / name;
    }

    void SaveScreenshot() const {
        const std::filesystem::path folder = KESTROVIN_SCREENSHOT_FOLDER;
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::filesystem::path file = folder / (std::string(test->name()) + ".png");
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
    std::unique_ptr<ChildProcess> bus_;  // only where a test starts one
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> trayer_;
    std::vector<std::unique_ptr<ChildProcess>> counters_;
    Clock::time_point counterStarted_;
};

TEST_F(DesktopTest, TheIconAppearsInTheTray) {
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    // Docked in trayer's panel at the top of the screen, not a window of its own.
    const Geometry where = GeometryOf(icon);
    EXPECT_GT(where.Width, 0);
    EXPECT_LE(where.Y + where.Height, 24);
    EXPECT_TRUE(StopCounter());
}

// The splash shows centred on the screen while start-up goes on, and goes by itself.
TEST_F(DesktopTest, TheSplashShowsCentredAtStartAndGoesByItself) {
    SetPreference("ShowSplash", 1);
    counters_.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{KESTROVIN},
                                                       environment_, folder_ / "kestrovin.out"));
    const pid_t pid = counters_.back()->Pid();
    const auto splashes = [&] {
        std::vector<std::string> found;
        for (const std::string& window :
             Words(Xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)}))) {
            const ProgramResult type =
                RunToEnd({"xprop", "-display", xvfb_.Name(), "-id", window, "_NET_WM_WINDOW_TYPE"},
                         PrivateDesktopHome::WithoutDesktop());
            if (type.Output.find("_NET_WM_WINDOW_TYPE_SPLASH") != std::string::npos) {
                found.push_back(window);
            }
        }
        return found;
    };
    std::vector<std::string> shown;
    ASSERT_TRUE(PollUntil([&] { return !(shown = splashes()).empty(); }, 30s)) << "no splash";
    ASSERT_EQ(shown.size(), 1u);
    const Geometry where = GeometryOf(shown.front());
    EXPECT_EQ(where.Width, 292);
    EXPECT_EQ(where.Height, 98);
    std::istringstream screen(Xdotool({"getdisplaygeometry"}));
    int screenWidth = 0;
    int screenHeight = 0;
    screen >> screenWidth >> screenHeight;
    EXPECT_EQ(where.X + where.Width / 2, screenWidth / 2);
    EXPECT_EQ(where.Y + where.Height / 2, screenHeight / 2);

    EXPECT_TRUE(PollUntil([&] { return splashes().empty(); }, 30s)) << "the splash stayed";
    EXPECT_TRUE(PollUntil([&] { return CatchesSigterm(pid); }, 30s));
    EXPECT_TRUE(StopCounter());
}

TEST_F(DesktopTest, CountsAreSavedOnSigtermAndLoadedAgainAtTheNextStart) {
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    Type("hello world");
    ClickOnDesktop();
    ASSERT_TRUE(StopCounter());

    std::string status = Status();
    EXPECT_EQ(StatusValue(status, "Unsent keys"), "11") << status;
    EXPECT_EQ(StatusValue(status, "Unsent clicks"), "1") << status;
    KeyFrequencyTable frequencies;
    ASSERT_TRUE(frequencies.Load(DataFile("keyfreq.bin")));
    EXPECT_EQ(frequencies.Entries().at('L'), 3);
    EXPECT_EQ(frequencies.Entries().at(' '), 1);

    ASSERT_FALSE(StartCounter().empty()) << "no tray icon after the restart";
    Type("lab");
    ClickOnDesktop();
    ClickOnDesktop();
    ASSERT_TRUE(StopCounter());

    status = Status();
    EXPECT_EQ(StatusValue(status, "Unsent keys"), "14") << status;
    EXPECT_EQ(StatusValue(status, "Unsent clicks"), "3") << status;
    frequencies.Clear();
    ASSERT_TRUE(frequencies.Load(DataFile("keyfreq.bin")));
    EXPECT_EQ(frequencies.Entries().at('L'), 4);
    EXPECT_EQ(frequencies.Entries().at('B'), 1);
}

TEST_F(DesktopTest, SkeldEveryKeysSendsWhenTheLastOfThemIsReleased) {
    SetPreference("SkeldEvery", 250);
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    Type(std::string(249, 'k'));
    WaitUntilSkeldAllowed();
    EXPECT_EQ(ServerAccount().totalKeys, 0) << "sent before the 250th key";

    Type("k");
    EXPECT_TRUE(ServerKeysReach(250));
    EXPECT_EQ(ServerAccount().totalKeys, 250);
    ASSERT_TRUE(StopCounter());
    const std::string status = Status();
    EXPECT_EQ(StatusValue(status, "Unsent keys"), "0") << status;
    EXPECT_EQ(StatusValue(status, "Total keys"), "250") << status;
}

// The refused instance shows "Kestrovin is already running." in a message box and ends once
// it is dismissed, without a tray icon or counting of its own; the first keeps counting.
TEST_F(DesktopTest, ASecondInstanceIsRefusedAndTheFirstKeepsCounting) {
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    ChildProcess second({KESTROVIN}, environment_, folder_ / "second.out");
    std::string box;
    ASSERT_TRUE(PollUntil(
        [&] {
            box = VisibleWindowOf(second.Pid());
            return !box.empty();
        },
        30s))
        << "the second instance showed no message";
    EXPECT_EQ(Xdotool({"getwindowname", box}), "Kestrovin\n");
    EXPECT_GT(GeometryOf(box).Y, 24) << "a message box, not a tray icon";
    Xdotool({"windowfocus", "--sync", box});
    Xdotool({"key", "Return"});
    ASSERT_TRUE(second.WaitForExit(10s)) << "the second instance kept running";
    EXPECT_EQ(second.ExitStatus(), 0);

    Type("abc");
    ASSERT_TRUE(StopCounter());
    const std::string status = Status();
    // The Return that dismissed the message counts too: the first counts every key.
    EXPECT_EQ(StatusValue(status, "Unsent keys"), "4") << status;
}

TEST_F(DesktopTest, SkeldNowFromTheTrayMenuSendsTheCounts) {
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    Type("hello world");
    WaitUntilSkeldAllowed();

    const std::string menu = OpenTrayMenu(counters_[0]->Pid(), icon);
    ASSERT_FALSE(menu.empty()) << "no menu";
    EXPECT_EQ(ServerAccount().totalKeys, 0);

    // The default item, "Skeld Now", comes first, at the menu's top.
    const Geometry menuAt = GeometryOf(menu);
    Xdotool(
        {"mousemove", std::to_string(menuAt.X + menuAt.Width / 2), std::to_string(menuAt.Y + 10)});
    Xdotool({"click", "1"});
    EXPECT_TRUE(ServerKeysReach(11));
    const Account account = ServerAccount();
    EXPECT_EQ(account.totalKeys, 11);
    EXPECT_GE(account.totalClicks, 1);  // the right click; the menu's click may follow it
    EXPECT_TRUE(StopCounter());
}

// After "Reset Password..." was pressed (reached with Tab from OK, where the dialog opens, and
// pressed with Space, so that it keeps the focus) and its question answered No, Enter presses
// the dialog's OK: the dialog closes and the question does not come again.
TEST_F(DesktopTest, EnterInTheAccountDetailsPressesOkAfterAnotherButton) {
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_[0]->Pid();
    const auto windowsNamed = [&](const std::string& title) {
        return WindowsNamed(pid, icon, title);
    };
    const auto waitFor = [&](const std::string& title) { return WaitForWindow(pid, icon, title); };

    // The tray menu, its Account submenu (by its mnemonic), and a click on the submenu's first
    // item, "Local Account Details" ("l" would be ambiguous there).
    const auto windows = [&] {
        return Words(Xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)}));
    };
    ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
    const std::vector<std::string> menus = windows();
    Xdotool({"key", "a"});
    std::string submenu;
    ASSERT_TRUE(PollUntil(
        [&] {
            for (const std::string& window : windows()) {
                if (std::find(menus.begin(), menus.end(), window) == menus.end()) {
                    submenu = window;
                    return true;
                }
            }
            return false;
        },
        10s))
        << "no Account submenu";
    const Geometry submenuAt = GeometryOf(submenu);
    Xdotool({"mousemove", std::to_string(submenuAt.X + submenuAt.Width / 2),
             std::to_string(submenuAt.Y + 12), "click", "1"});
    const std::string details = waitFor("Your Local Account Details");
    ASSERT_FALSE(details.empty()) << "no account details";

    Xdotool({"windowfocus", "--sync", details});
    Xdotool({"key", "--delay", "50", "shift+Tab", "space"});
    const std::string question = waitFor("Kestrovin");
    ASSERT_FALSE(question.empty()) << "no question about the password reset";
    Xdotool({"windowfocus", "--sync", question});
    Xdotool({"key", "Escape"});  // No
    ASSERT_TRUE(PollUntil([&] { return windowsNamed("Kestrovin").empty(); }, 10s));

    Xdotool({"windowfocus", "--sync", details});
    Xdotool({"key", "Return"});
    EXPECT_TRUE(PollUntil([&] { return windowsNamed("Your Local Account Details").empty(); }, 10s))
        << "Enter did not close the dialog";
    EXPECT_TRUE(windowsNamed("Kestrovin").empty()) << "Enter asked for a password reset again";
    EXPECT_TRUE(StopCounter());
}

TEST_F(DesktopTest, PreferencesFromTheTrayMenuSaveWithEnterAndCorrectTheKeyLimit) {
    SetPreference("SkeldEvery", 100);  // edited by hand below the limit
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_[0]->Pid();
    const auto windowsNamed = [&](const std::string& title) {
        return WindowsNamed(pid, icon, title);
    };
    const auto waitFor = [&](const std::string& title) { return WaitForWindow(pid, icon, title); };
    WaitUntilSkeldAllowed();  // the menu's items are usable

    ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
    // Skeld Now, Account, Preferences: separators are skipped.
    Xdotool({"key", "--delay", "50", "Down", "Down", "Down", "Return"});
    const std::string dialog = waitFor("Kestrovin Preferences");
    ASSERT_FALSE(dialog.empty()) << "no preferences dialog";
    Xdotool({"windowfocus", "--sync", dialog});
    Xdotool({"key", "Return"});  // Save
    ASSERT_TRUE(PollUntil([&] { return windowsNamed("Kestrovin Preferences").empty(); }, 10s));
    // The keys limit message comes once the dialog has closed.
    const std::string message = waitFor("Kestrovin");
    ASSERT_FALSE(message.empty()) << "no limit message";
    Xdotool({"windowfocus", "--sync", message});
    Xdotool({"key", "Return"});
    ASSERT_TRUE(PollUntil([&] { return windowsNamed("Kestrovin").empty(); }, 10s));

    FileTypedStore store(folder_ / "config" / "Kestrovin" / "registry.conf");
    std::int32_t keys = 0;
    EXPECT_TRUE(store.ReadInt("Software\\Kestrovin\\Preferences", "SkeldEvery", keys));
    EXPECT_EQ(keys, 250);
    EXPECT_TRUE(StopCounter());
}

// The rows of an exported key-frequency page: (count, key) as the page lists them.
std::vector<std::vector<std::string>> HtmlRows(const std::string& html) {
    std::vector<std::vector<std::string>> rows;
    const std::string cell = "<td align=\"center\" width=\"50%\">";
    for (std::size_t at = html.find("<tr bgcolor=\"#"); at != std::string::npos;
         at = html.find("<tr bgcolor=\"#", at + 1)) {
        const std::size_t count = html.find(cell, at);
        const std::size_t key = count == std::string::npos ? count : html.find(cell, count + 1);
        if (key == std::string::npos || html.compare(count + cell.size(), 3, "<fo") == 0) {
            continue;  // the header or the footer row
        }
        const std::size_t countEnd = html.find("</td>", count);
        const std::size_t keyEnd = html.find("</td>", key);
        rows.push_back({html.substr(count + cell.size(), countEnd - count - cell.size()),
                        html.substr(key + cell.size(), keyEnd - key - cell.size())});
    }
    return rows;
}

// The rows of a list as a screen reader reads them (see AccessibleDesktopTest::Shown): the
// text of each cell, row by row, `columns` cells a row.
std::vector<std::vector<std::string>> ListRows(const std::string& shown, std::size_t columns) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(shown);
    const std::string item = "tree item: ";
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(item)) {
            continue;
        }
        if (rows.empty() || rows.back().size() == columns) {
            rows.emplace_back();
        }
        rows.back().push_back(line.substr(item.size()));
    }
    return rows;
}

// The program with accessibility on, as under a screen reader: on a private session bus, where
// the accessibility bus starts when asked for, and in the XEmbed tray.
class AccessibleDesktopTest : public DesktopTest {
protected:
    void StartTray() override {
        StartBus();
        if (HasFatalFailure()) {
            return;
        }
        SetVariable("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        DesktopTest::StartTray();
    }

    // What the window with this title shows, one object a line after its role ("tree item: L",
    // "push button: Close"), read as a screen reader reads it; "" while there is no such window.
    std::string Shown(const std::string& title) const {
        const ProgramResult shown = RunToEnd({KESTROVIN_TEST_A11Y, title}, environment_);
        if (shown.Status == 2 && !saidNoBus_) {
            saidNoBus_ = true;
            ADD_FAILURE() << shown.Output << "(scripts/install-deps installs at-spi2-core)";
        }
        return shown.Status == 0 ? shown.Output : "";
    }

    // Waits up to 10 s until the window shows a line holding `text`; what it showed last.
    std::string WaitUntilShown(const std::string& title, const std::string& text) const {
        std::string shown;
        PollUntil([&] { return (shown = Shown(title)).find(text) != std::string::npos; }, 10s);
        return shown;
    }

    mutable bool saidNoBus_ = false;
};

// "Key Frequencies" lists the keys typed with their counts, and its HTML export the same rows;
// after a skeld the skeld log viewer shows the skeld's line, and "&Empty Log" empties it. Both
// are opened from the tray menu with the keyboard; pictures of both are kept.
TEST_F(AccessibleDesktopTest, KeyFrequenciesAndTheSkeldLogOpenFromTheTrayMenu) {
    using Rows = std::vector<std::vector<std::string>>;
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_[0]->Pid();
    const auto waitFor = [&](const std::string& title) { return WaitForWindow(pid, icon, title); };
    Type("hello");
    WaitUntilSkeldAllowed();  // the menu's items are usable

    ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
    Xdotool({"key", "k"});  // "&Key Frequencies"
    const std::string dialog = waitFor("Key Frequencies");
    ASSERT_FALSE(dialog.empty()) << "no Key Frequencies dialog";
    const std::string shown = WaitUntilShown("Key Frequencies", "column header: Key");
    Rows listed = ListRows(shown, 2);
    // The "k" that chose the item may be released before the list is filled.
    std::erase(listed, std::vector<std::string>{"1", "K"});
    EXPECT_EQ(listed, (Rows{{"2", "L"}, {"1", "E"}, {"1", "H"}, {"1", "O"}})) << shown;
    KeepWindowPicture(dialog, "KeyFrequencies.png");

    // "Export as HTML" follows the list, the check box and "Reset chart"; the save dialog takes
    // the whole path typed over its proposed name.
    const std::filesystem::path exported = folder_ / "exported.html";
    Xdotool({"windowfocus", "--sync", dialog});
    Xdotool({"key", "--delay", "80", "Tab", "Tab", "Tab", "space"});
    const std::string save = waitFor("Save As");
    ASSERT_FALSE(save.empty()) << "no save dialog";
    Xdotool({"windowfocus", "--sync", save});
    Xdotool({"key", "ctrl+a"});
    Xdotool({"type", "--delay", "20", exported.string()});
    Xdotool({"key", "Return"});
    ASSERT_TRUE(PollUntil([&] { return std::filesystem::exists(exported); }, 10s))
        << "nothing exported";
    EXPECT_EQ(HtmlRows(ReadFile(exported)), ListRows(shown, 2));
    EXPECT_NE(ReadFile(exported).find("<td>AccountName:</td> <td>deskuser</td>"),
              std::string::npos);
    // Kept beside the pictures, for a look at it in a browser.
    std::error_code ignored;
    std::filesystem::copy_file(
        exported, std::filesystem::path(KESTROVIN_SCREENSHOT_FOLDER) / "KeyFrequencies.html",
        std::filesystem::copy_options::overwrite_existing, ignored);
    Xdotool({"windowfocus", "--sync", dialog});
    Xdotool({"key", "Escape"});
    ASSERT_TRUE(PollUntil([&] { return WindowsNamed(pid, icon, "Key Frequencies").empty(); }, 10s))
        << "Escape did not close the dialog";

    // A double click on the icon skelds; its line goes into Skelds.log.
    const Geometry iconAt = GeometryOf(icon);
    Xdotool({"mousemove", std::to_string(iconAt.X + iconAt.Width / 2),
             std::to_string(iconAt.Y + iconAt.Height / 2), "click", "--repeat", "2", "--delay",
             "80", "1"});
    ASSERT_TRUE(ServerKeysReach(5));
    std::string logged;
    ASSERT_TRUE(
        PollUntil([&] { return !(logged = ReadFile(DataFile("Skelds.log"))).empty(); }, 10s));
    ASSERT_TRUE(logged.ends_with('\n')) << logged;
    ASSERT_EQ(std::count(logged.begin(), logged.end(), '\n'), 1) << logged;
    logged.pop_back();

    // "&Help && Support", "Log&s", "&Skelds".
    ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
    Xdotool({"key", "--delay", "300", "h", "s", "s"});
    const std::string viewer = waitFor("Kestrovin Skeld Log");
    ASSERT_FALSE(viewer.empty()) << "no skeld log viewer";
    const std::string log = WaitUntilShown("Kestrovin Skeld Log", "column header: Message");
    EXPECT_EQ(ListRows(log, 1), (Rows{{logged}})) << log;
    KeepWindowPicture(viewer, "SkeldLog.png");

    // "&Empty Log" empties the file and the list, and says so.
    Xdotool({"windowfocus", "--sync", viewer});
    Xdotool({"key", "alt+e"});
    const std::string cleared = waitFor("Kestrovin");
    ASSERT_FALSE(cleared.empty()) << "no message after emptying the log";
    const std::string message = WaitUntilShown("Kestrovin", "Log cleared.");
    EXPECT_NE(message.find("Log cleared."), std::string::npos) << message;
    EXPECT_EQ(ReadFile(DataFile("Skelds.log")), "");
    Xdotool({"windowfocus", "--sync", cleared});
    Xdotool({"key", "Return"});
    ASSERT_TRUE(PollUntil([&] { return WindowsNamed(pid, icon, "Kestrovin").empty(); }, 10s));
    const std::string emptied = WaitUntilShown("Kestrovin Skeld Log", "column header: Message");
    ASSERT_NE(emptied.find("column header: Message"), std::string::npos) << "the list is gone";
    EXPECT_EQ(ListRows(emptied, 1), Rows{}) << emptied;
    Xdotool({"windowfocus", "--sync", viewer});
    Xdotool({"key", "Escape"});
    EXPECT_TRUE(
        PollUntil([&] { return WindowsNamed(pid, icon, "Kestrovin Skeld Log").empty(); }, 10s));
    EXPECT_TRUE(StopCounter());
}

TEST_F(DesktopTest, TheIconTurnsBlueWhileCountsAreBeingSent) {
    SilentServer silent;
    ASSERT_FALSE(silent.Address().empty());
    for (std::string& variable : environment_) {
        if (variable.starts_with("KESTROVIN_SERVER=")) {
            variable = "KESTROVIN_SERVER=" + silent.Address();
        }
    }
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    EXPECT_FALSE(IconLooksBlue(icon));
    Type("abc");
    WaitUntilSkeldAllowed();

    // A double click sends at once; the exchange then waits for a reply that never comes, and
    // the program cannot paint anything until it gives up.
    const Geometry iconAt = GeometryOf(icon);
    Xdotool({"mousemove", std::to_string(iconAt.X + iconAt.Width / 2),
             std::to_string(iconAt.Y + iconAt.Height / 2), "click", "--repeat", "2", "--delay",
             "80", "1"});
    EXPECT_TRUE(PollUntil([&] { return IconLooksBlue(icon); }, 5s));
    EXPECT_TRUE(StopCounter());
}

// The Geek Window opened at start: its configured size and background, and the unsent key
// count on it growing as keys are typed.
TEST_F(DesktopTest, TheGeekWindowOpensAtStartWithItsSkinAndShowsTheKeysTyped) {
    const std::pair<const char*, std::int32_t> skin[] = {
        {"GeekStart", 1},    {"GeekLastX", 100},     {"GeekLastY", 200},     {"GeekWidth", 240},
        {"GeekHeight", 110}, {"GeekTrans", 150},     {"GeekBGr", 200},       {"GeekBGg", 40},
        {"GeekBGb", 60},     {"GeekFr", 0},          {"GeekFg", 0},          {"GeekFb", 0},
        {"GeekVr", 255},     {"GeekVg", 255},        {"GeekVb", 192},        {"keycount_X", 2},
        {"keycount_Y", 2},   {"mousecount_X", 2},    {"mousecount_Y", 15},   {"rank_X", 2},
        {"rank_Y", 28},      {"meters_X", 2},        {"meters_Y", 41},       {"totalkeys_X", 120},
        {"totalkeys_Y", 2},  {"totalmouse_X", 120},  {"totalmouse_Y", 15},   {"lastkeys_X", 120},
        {"lastkeys_Y", 28},  {"timenextskeld_X", 2}, {"timenextskeld_Y", 54}};
    SetPreference("GeekStart", 1);
    for (const auto& [name, value] : skin) {
        SetPreference(name, value, "Geek Window Skin");
    }
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_.back()->Pid();
    std::string geek;
    ASSERT_TRUE(PollUntil(
        [&] {
            const std::vector<std::string> windows =
                Words(Xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid), "--name",
                               "^Kestrovin$"}));
            geek = windows.empty() ? "" : windows.front();
            return !geek.empty();
        },
        10s))
        << "no Geek Window";
    const Geometry at = GeometryOf(geek);
    EXPECT_EQ(at.Width, 240);
    EXPECT_EQ(at.Height, 110);

    const std::filesystem::path before = folder_ / "geek-before.png";
    const std::filesystem::path after = folder_ / "geek-after.png";
    const auto shoot = [&](const std::filesystem::path& file) {
        return RunToEnd({"import", "-display", xvfb_.Name(), "-window", geek, file.string()},
                        PrivateDesktopHome::WithoutDesktop())
                   .Status == 0;
    };
    // ImageMagick's answer about a picture, "" when it failed.
    const auto describe = [&](const std::filesystem::path& file, const std::string& format,
                              const std::string& crop) {
        std::vector<std::string> arguments = {"convert", file.string()};
        if (!crop.empty()) {
            arguments.insert(arguments.end(), {"-crop", crop, "+repage"});
        }
        arguments.insert(arguments.end(), {"-format", format, "info:"});
        const ProgramResult result = RunToEnd(arguments, PrivateDesktopHome::WithoutDesktop());
        return result.Status == 0 ? result.Output : std::string();
    };
    // The bottom-right corner holds no text: the skin's background, once the window is painted.
    const std::string corner =
        "%[fx:int(255*p{236,106}.r+0.5)],%[fx:int(255*p{236,106}.g+0.5)],"
        "%[fx:int(255*p{236,106}.b+0.5)]";
    EXPECT_TRUE(PollUntil(
        [&] { return shoot(before) && describe(before, corner, "") == "200,40,60"; }, 10s))
        << "corner colour " << describe(before, corner, "");
    EXPECT_EQ(describe(before, "%w %h", ""), "240 110");

    // The "Key Count:" row, left column: its value changes once keys are counted.
    const std::string keyRow = "118x13+0+2";
    const std::string shown = describe(before, "%#", keyRow);
    ASSERT_FALSE(shown.empty());
    Type("hello");
    EXPECT_TRUE(
        PollUntil([&] { return shoot(after) && describe(after, "%#", keyRow) != shown; }, 10s))
        << "the key count on the Geek Window did not change";
    // The click row below stays as it was: the change is the key count's.
    EXPECT_EQ(describe(after, "%#", "118x13+0+15"), describe(before, "%#", "118x13+0+15"));
    ASSERT_TRUE(StopCounter());
    const std::string status = Status();
    EXPECT_EQ(StatusValue(status, "Unsent keys"), "5") << status;

    const std::filesystem::path pictures = KESTROVIN_SCREENSHOT_FOLDER;
    std::error_code ignored;
    std::filesystem::create_directories(pictures, ignored);
    std::filesystem::copy_file(before, pictures / "geek-window-before-typing.png",
                               std::filesystem::copy_options::overwrite_existing, ignored);
    std::filesystem::copy_file(after, pictures / "geek-window-after-typing.png",
                               std::filesystem::copy_options::overwrite_existing, ignored);
}

// The program on a panel that speaks StatusNotifierItem (as XFCE's status tray and GNOME's
// AppIndicator extension do): a private session bus with the tests' own host on it, and no
// XEmbed tray. The host reads the menu the program exports and clicks its items as such a panel
// does; it also takes the program's notifications (its balloons there).
class StatusNotifierTest : public DesktopTest {
protected:
    void StartTray() override {
        StartBus();
        if (HasFatalFailure()) {
            return;
        }
        host_ =
            std::make_unique<ChildProcess>(std::vector<std::string>{KESTROVIN_SNI_HOST, "watch"},
                                           environment_, folder_ / "host.out");
        ASSERT_TRUE(PollUntil([&] { return HostSaid("watching"); }, 10s))
            << ReadFile(folder_ / "host.out");
    }

    void TearDown() override {
        if (HasFailure()) {
            std::cerr << "the host's output:\n" << ReadFile(folder_ / "host.out");
        }
        DesktopTest::TearDown();
    }

    bool HostSaid(const std::string& text) const {
        return ReadFile(folder_ / "host.out").find(text) != std::string::npos;
    }

    ProgramResult Host(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), KESTROVIN_SNI_HOST);
        return RunToEnd(arguments, environment_);
    }

    // Starts kestrovin and waits until its icon has registered with the host and its start is
    // complete (see StartCounter).
    bool StartCounterOnHost() {
        counters_.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{KESTROVIN}, environment_, folder_ / "kestrovin.out"));
        const pid_t pid = counters_.back()->Pid();
        const bool started =
            PollUntil([&] { return HostSaid("item ") && CatchesSigterm(pid); }, 30s);
        counterStarted_ = Clock::now();
        return started;
    }

    // A picture of the whole screen, kept beside those of failed tests.
    void KeepPicture(const std::string& name) const {
        const std::filesystem::path pictures = KESTROVIN_SCREENSHOT_FOLDER;
        std::error_code ignored;
        std::filesystem::create_directories(pictures, ignored);
        RunToEnd(
            {"import", "-display", xvfb_.Name(), "-window", "root", (pictures / name).string()},
            PrivateDesktopHome::WithoutDesktop());
    }

    std::unique_ptr<ChildProcess> host_;  // goes before the base fixture's bus
};

TEST_F(StatusNotifierTest, ThePanelShowsTheMenuAndALeftClickSkelds) {
    ASSERT_TRUE(StartCounterOnHost()) << "the icon did not register with the host";

    const ProgramResult menu = Host({"menu"});
    ASSERT_EQ(menu.Status, 0) << menu.Output;
    std::vector<std::string> lines;
    std::istringstream menuLines(menu.Output);
    for (std::string line; std::getline(menuLines, line);) {
        lines.push_back(line);
    }
    ASSERT_FALSE(lines.empty());
    // The default item carries the countdown, set as the panel opens the menu.
    EXPECT_EQ(lines.front(), "Skeld Now!") << menu.Output;
    EXPECT_EQ(lines.back(), "Exit") << menu.Output;
    for (const char* expected : {"Account", "  Local Account Details", "    Reset Token",
                                 "Preferences", "  Kestrovin Data Folder"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end())
            << expected << " in\n"
            << menu.Output;
    }

    Type("hello world");
    WaitUntilSkeldAllowed();
    // The left click such panels send (they report no double clicks) skelds.
    ASSERT_EQ(Host({"activate"}).Status, 0);
    EXPECT_TRUE(ServerKeysReach(11));
    Type("abc");

    // Skeld Now straight after is refused by the 20-second rule, and says so.
    const ProgramResult click = Host({"click", "Skeld Now!"});
    ASSERT_EQ(click.Status, 0) << click.Output;
    EXPECT_TRUE(PollUntil(
        [&] {
            return HostSaid(
                "notify Please wait\tKestrovin skelds at most once every 20 seconds. "
                "The next skeld is possible in ");
        },
        10s));
    EXPECT_EQ(ServerAccount().totalKeys, 11);

    ASSERT_EQ(Host({"click", "Exit"}).Status, 0);
    ASSERT_TRUE(counters_.back()->WaitForExit(20s)) << "Exit did not end the program";
    EXPECT_EQ(counters_.back()->ExitStatus(), 0);
    const std::string status = Status();
    EXPECT_EQ(StatusValue(status, "Unsent keys"), "3") << status;
    EXPECT_EQ(ServerAccount().totalKeys, 11);
}

TEST_F(StatusNotifierTest, APageNoBrowserCanOpenIsShownInAMessage) {
    // Nothing on the program's path can open a page: no xdg-open, no browser.
    const std::filesystem::path emptyPath = folder_ / "empty-path";
    std::filesystem::create_directories(emptyPath);
    SetVariable("PATH", emptyPath.string());
    SetVariable("BROWSER", "");
    ASSERT_TRUE(StartCounterOnHost()) << "the icon did not register with the host";
    const pid_t pid = counters_.back()->Pid();

    ASSERT_EQ(Host({"click", "Online Help Wiki"}).Status, 0);
    std::string box;
    ASSERT_TRUE(PollUntil(
        [&] {
            box = VisibleWindowOf(pid);
            return !box.empty();
        },
        20s))
        << "no message";
    EXPECT_EQ(Xdotool({"getwindowname", box}), "Kestrovin\n");
    KeepPicture("PageThatCannotBeOpened.png");
    Xdotool({"windowfocus", "--sync", box});
    Xdotool({"key", "Return"});
    EXPECT_TRUE(PollUntil([&] { return VisibleWindowOf(pid).empty(); }, 10s))
        << "the message stayed";
    EXPECT_TRUE(StopCounter());
}

// The program on XFCE's own panel, whose status tray is a StatusNotifierItem host: the menu
// opens from the panel, a picture of it is kept, and its Exit ends the program.
class XfcePanelTest : public StatusNotifierTest {
protected:
    void StartTray() override {
        if (RunToEnd({"sh", "-c", "command -v xfce4-panel"}, PrivateDesktopHome::WithoutDesktop())
                .Status != 0) {
            GTEST_SKIP() << "xfce4-panel is not installed (scripts/install-deps installs it)";
        }
        // One panel along the top with nothing but the status tray on it.
        const std::filesystem::path channels =
            folder_ / "config" / "xfce4" / "xfconf" / "xfce-perchannel-xml";
        std::filesystem::create_directories(channels);
        std::ofstream(channels / "xfce4-panel.xml") << R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="28"/>
      <property name="icon-size" type="uint" value="22"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
)";
        // No accessibility bus: GTK would start one that outlives the test.
        SetVariable("NO_AT_BRIDGE", "1");
        StartBus();
        if (HasFatalFailure()) {
            return;
        }
        panel_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"xfce4-panel", "--disable-wm-check"}, environment_,
            folder_ / "panel.out");
        ASSERT_TRUE(PollUntil([&] { return Host({"host-ready"}).Status == 0; }, 30s))
            << "the panel's status tray did not come up: " << ReadFile(folder_ / "panel.out");
    }

    void TearDown() override {
        if (HasFailure()) {
            std::cerr << "the panel's output:\n" << ReadFile(folder_ / "panel.out");
        }
        StatusNotifierTest::TearDown();
        panel_.reset();  // before the bus it talks to
    }

    std::vector<std::string> VisibleWindows() const {
        return Words(Xdotool({"search", "--onlyvisible", "--name", ""}));
    }

    std::unique_ptr<ChildProcess> panel_;
};

TEST_F(XfcePanelTest, TheMenuOpensFromThePanelAndItsExitEndsTheProgram) {
    counters_.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{KESTROVIN},
                                                       environment_, folder_ / "kestrovin.out"));
    const pid_t pid = counters_.back()->Pid();
    // The menu is exported and the start complete.
    ASSERT_TRUE(PollUntil([&] { return Host({"menu"}).Status == 0 && CatchesSigterm(pid); }, 30s))
        << "the icon did not register with the panel";

    // The panel puts the icon at its start: a right click there opens the menu.
    const std::vector<std::string> before = VisibleWindows();
    Xdotool({"mousemove", "12", "14", "click", "3"});
    Geometry menu;
    ASSERT_TRUE(PollUntil(
        [&] {
            for (const std::string& window : VisibleWindows()) {
                const Geometry at = GeometryOf(window);
                if (std::find(before.begin(), before.end(), window) == before.end() &&
                    at.Height > 100) {
                    menu = at;
                    return true;
                }
            }
            return false;
        },
        20s))
        << "no menu opened";
    // Point at the first item, away from the icon's tooltip, and keep a picture of the menu.
    Xdotool({"mousemove", std::to_string(menu.X + menu.Width / 3), std::to_string(menu.Y + 14)});
    std::this_thread::sleep_for(1s);  // the panel draws the highlight
    KeepPicture("StatusNotifierMenu-xfce4-panel.png");
    // Exit is the last item, "Help & Support" the one above it: a picture with its submenu.
    const std::string x = std::to_string(menu.X + menu.Width / 3);
    Xdotool({"mousemove", x, std::to_string(menu.Y + menu.Height - 42)});
    std::this_thread::sleep_for(1s);
    KeepPicture("StatusNotifierMenu-xfce4-panel-help.png");

    Xdotool({"mousemove", x, std::to_string(menu.Y + menu.Height - 16)});
    std::this_thread::sleep_for(500ms);
    Xdotool({"click", "1"});
    ASSERT_TRUE(counters_.back()->WaitForExit(20s)) << "Exit from the panel's menu did not end it";
    EXPECT_EQ(counters_.back()->ExitStatus(), 0);
}

// A session whose panel comes up after the program.
class NoTrayYetTest : public DesktopTest {
protected:
    void StartTray() override {}
};

TEST_F(NoTrayYetTest, TheProgramSaysWhereItWillBeAndWaitsForTheTray) {
    counters_.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{KESTROVIN},
                                                       environment_, folder_ / "kestrovin.out"));
    const pid_t pid = counters_.back()->Pid();
    const std::string notice = "there is no system tray (notification area) yet";
    ASSERT_TRUE(PollUntil(
        [&] { return ReadFile(folder_ / "kestrovin.out").find(notice) != std::string::npos; }, 30s))
        << ReadFile(folder_ / "kestrovin.out");

    DesktopTest::StartTray();
    std::string icon;
    ASSERT_TRUE(PollUntil(
        [&] {
            icon = VisibleWindowOf(pid);
            return !icon.empty();
        },
        30s))
        << "no icon once the tray was there";
    const Geometry where = GeometryOf(icon);
    EXPECT_LE(where.Y + where.Height, 24) << "docked in the tray";
    const std::string output = ReadFile(folder_ / "kestrovin.out");
    EXPECT_EQ(output.find(notice), output.rfind(notice)) << "said once: " << output;
    EXPECT_TRUE(StopCounter());
}

// The program beside a screen locker that speaks org.freedesktop.ScreenSaver: a private session
// bus with the tests' own screen saver on it (started by the test that wants one), and the
// XEmbed tray.
class SessionLockTest : public DesktopTest {
protected:
    void StartTray() override {
        StartBus();
        if (HasFatalFailure()) {
            return;
        }
        DesktopTest::StartTray();
    }

    void StartScreenSaver() {
        screenSaver_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{KESTROVIN_TEST_SCREENSAVER, "serve"}, environment_,
            folder_ / "screensaver.out");
        ASSERT_TRUE(PollUntil(
            [&] {
                return ReadFile(folder_ / "screensaver.out").find("serving") != std::string::npos;
            },
            10s))
            << ReadFile(folder_ / "screensaver.out");
    }

    // Locks or unlocks, and waits until the program has heard of it.
    bool Lock(bool locked) {
        const ProgramResult set =
            RunToEnd({KESTROVIN_TEST_SCREENSAVER, "set", locked ? "true" : "false"}, environment_);
        const std::string said = locked ? "Session locked" : "Session unlocked";
        return set.Status == 0 && PollUntil([&] { return DebugLogLines(said) == 1; }, 10s);
    }

    int DebugLogLines(const std::string& start) const {
        std::istringstream log(ReadFile(DataFile("Debug.log")));
        int found = 0;
        for (std::string line; std::getline(log, line);) {
            found += line.find(start) != std::string::npos ? 1 : 0;
        }
        return found;
    }

    std::map<std::int32_t, std::int32_t> Tally() const {
        KeyFrequencyTable frequencies;
        EXPECT_TRUE(frequencies.Load(DataFile("keyfreq.bin")));
        return {frequencies.Entries().begin(), frequencies.Entries().end()};
    }

    std::unique_ptr<ChildProcess> screenSaver_;
};

TEST_F(SessionLockTest, KeysTypedWhileLockedCountButStayOutOfTheTally) {
    StartScreenSaver();
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    Type("ab");
    ASSERT_TRUE(Lock(true));
    Type("secret");
    ASSERT_TRUE(Lock(false));
    Type("cd");
    ASSERT_TRUE(StopCounter());

    const std::string status = Status();
    EXPECT_EQ(StatusValue(status, "Unsent keys"), "10") << status;
    using Tallied = std::map<std::int32_t, std::int32_t>;
    EXPECT_EQ(Tally(), (Tallied{{'A', 1}, {'B', 1}, {'C', 1}, {'D', 1}}));
    EXPECT_EQ(DebugLogLines("Session lock:"), 0);
}

TEST_F(SessionLockTest, WithoutAScreenSaverKeysAreTalliedAndOneLineSaysSo) {
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    ASSERT_TRUE(PollUntil([&] { return DebugLogLines("Session lock:") == 1; }, 10s))
        << ReadFile(DataFile("Debug.log"));
    Type("see");
    ASSERT_TRUE(StopCounter());

    using Tallied = std::map<std::int32_t, std::int32_t>;
    EXPECT_EQ(Tally(), (Tallied{{'S', 1}, {'E', 2}}));
    EXPECT_EQ(DebugLogLines("Session lock:"), 1);
}

}  // namespace
