// The tray program's first start on a real (virtual) X server with a tray (trayer): it has no
// account, shows the setup assistant, and what is typed into it with synthetic keys becomes
// the saved account, through refusals and a statistics server that is not there at first.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "persistence/AppPersistence.h"
#include "persistence/FileTypedStore.h"
#include "support/ChildProcess.h"
#include "support/InProcessStatsServer.h"
#include "support/PrivateDesktopHome.h"
#include "support/RecordingUser.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/Words.h"
#include "support/XvfbServer.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kAssistant = "Kestrovin Setup Assistant";

bool PollUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

class SetupAssistantDesktopTest : public testing::Test {
protected:
    void SetUp() override {
        if (xvfb.Name().empty()) {
            GTEST_SKIP() << xvfb.Problem();
        }
        if (RunProgram({"xdotool", "--version"}) != 0) {
            GTEST_SKIP() << "xdotool is not installed (scripts/install-deps installs it)";
        }
        ASSERT_TRUE(PrivateDesktopHome::Create(temp.Path()));
        std::string error;
        ASSERT_TRUE(server.Start(temp / "stats.sqlite", error)) << error;
        environment = PrivateDesktopHome::Environment(temp.Path(), xvfb.Name(), server.Address());
        trayer = std::make_unique<ChildProcess>(
            std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype",
                                     "request", "--height", "24"},
            environment, temp / "trayer.out");
        ASSERT_TRUE(PollUntil(
            [&] {
                return !Xdotool({"search", "--class", "trayer"}).empty();
            },
            10s))
            << "trayer did not come up (scripts/install-deps installs it)";
    }
    void TearDown() override {
        program.reset();
        trayer.reset();
        server.Stop();
    }

    void StartProgram() {
        program = std::make_unique<ChildProcess>(std::vector<std::string>{KESTROVIN_PROGRAM},
                                                 environment, temp / "kestrovin.out");
        ASSERT_NE(program->Pid(), 0);
        ASSERT_FALSE(WaitForWindow(kAssistant).empty()) << "no setup assistant";
        Focus(kAssistant);
    }

    // xdotool's output, or "" when it failed; limited in time, so nothing can hang the test.
    std::string Xdotool(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"timeout", "30", "xdotool"});
        const ProgramResult result = RunToEnd(arguments, environment);
        return result.Status == 0 ? result.Output : "";
    }
    void Keys(const std::vector<std::string>& keys) const {
        std::vector<std::string> arguments{"key", "--delay", "30"};
        arguments.insert(arguments.end(), keys.begin(), keys.end());
        Xdotool(arguments);
    }
    void Type(const std::string& text) const { Xdotool({"type", "--delay", "10", text}); }

    // The program's visible windows with exactly this title (xdotool's own search also takes
    // the icon name, which is the program's name for every window).
    std::vector<std::string> WindowsNamed(const std::string& title) const {
        std::vector<std::string> named;
        for (const std::string& window : VisibleWindows()) {
            if (Xdotool({"getwindowname", window}) == title + "\n") {
                named.push_back(window);
            }
        }
        return named;
    }
    std::string WaitForWindow(const std::string& title) const {
        std::vector<std::string> found;
        PollUntil([&] { return !(found = WindowsNamed(title)).empty(); }, 30s);
        return found.empty() ? "" : found.front();
    }
    void Focus(const std::string& title) const {
        for (const std::string& window : WindowsNamed(title)) {
            Xdotool({"windowfocus", "--sync", window});
        }
    }
    // Whether the window is the splash, which shows for a moment after the assistant.
    bool IsSplash(const std::string& window) const {
        const ProgramResult type =
            RunToEnd({"xprop", "-display", xvfb.Name(), "-id", window, "_NET_WM_WINDOW_TYPE"},
                     PrivateDesktopHome::WithoutDesktop());
        return type.Output.find("_NET_WM_WINDOW_TYPE_SPLASH") != std::string::npos;
    }
    // The message box ("Kestrovin") the program shows, or "" when there is none. The tray
    // icon and the balloons carry the program's name too, but they are no dialogs.
    std::string MessageBox() const {
        for (const std::string& window : WindowsNamed("Kestrovin")) {
            const ProgramResult type =
                RunToEnd({"xprop", "-display", xvfb.Name(), "-id", window, "_NET_WM_WINDOW_TYPE"},
                         PrivateDesktopHome::WithoutDesktop());
            if (type.Output.find("_NET_WM_WINDOW_TYPE_DIALOG") != std::string::npos) {
                return window;
            }
        }
        return "";
    }
    std::set<std::string> VisibleWindows() const {
        const std::vector<std::string> windows =
            Words(Xdotool({"search", "--onlyvisible", "--pid", std::to_string(program->Pid())}));
        return {windows.begin(), windows.end()};
    }
    // Every visible window of the program, also those that carry no process id (balloons).
    // Another program of this class would be counted too; the test starts none.
    std::set<std::string> VisibleWindowsOfClass() const {
        const std::vector<std::string> windows =
            Words(Xdotool({"search", "--onlyvisible", "--class", "kestrovin"}));
        return {windows.begin(), windows.end()};
    }

    // The connection to the statistics server failed: the program says so in a message box
    // ("Kestrovin"), which Enter closes.
    void DismissConnectionFailure() {
        std::string box;
        ASSERT_TRUE(PollUntil([&] { return !(box = MessageBox()).empty(); }, 30s))
            << "no message about the failure";
        Xdotool({"windowfocus", "--sync", box});
        Keys({"Return"});
        ASSERT_TRUE(PollUntil([&] { return MessageBox().empty(); }, 10s));
        Focus(kAssistant);
    }

    std::filesystem::path StateFile() const {
        return temp / "data" / "Kestrovin" / "Kestrovin.ksv";
    }
    bool StateSaved() const {
        return PollUntil([&] { return std::filesystem::exists(StateFile()); }, 30s);
    }
    AppRecord SavedRecord() const {
        RecordingUser user;
        AppPersistence persistence(DataFolder(temp / "program", temp / "data"),
                                   temp / "config" / "Kestrovin" / "registry.conf", user,
                                   StorageAccess::ReadOnly);
        AppRecord record;
        KeyFrequencyTable tally;
        EXPECT_EQ(persistence.LoadState(record, tally), LoadResult::Loaded);
        return record;
    }

    XvfbServer xvfb;
    TempFolder temp;
    InProcessStatsServer server;
    std::vector<std::string> environment;
    std::unique_ptr<ChildProcess> trayer;
    std::unique_ptr<ChildProcess> program;
};

// Registration, refused for a missing field and then by an unreachable server, goes through
// from the same page; a balloon then says that counting has begun. The next first start logs
// in to that account, and a check for its computers that found no server is simply repeated.
TEST_F(SetupAssistantDesktopTest, RegistrationAndLoginGetPastRefusalsOnTheirPages) {
    server.Stop();  // not there yet
    StartProgram();
    // Down picks "I need to register a new account", Enter continues; the fields follow in tab
    // order and Enter registers. The e-mail address is left out at first.
    Keys({"Down", "Return"});
    for (const char* text : {"erin", "pw"}) {
        Type(text);
        Keys({"Tab"});
    }
    Keys({"Tab"});
    Type("box");
    Keys({"Return"});
    ASSERT_FALSE(std::filesystem::exists(StateFile()));
    Keys({"shift+Tab"});
    Type("erin@example.org");
    Keys({"Return"});
    DismissConnectionFailure();

    std::string error;
    ASSERT_TRUE(server.StartAgain(error)) << error;
    const std::set<std::string> before = VisibleWindowsOfClass();
    Keys({"Return"});
    ASSERT_TRUE(StateSaved()) << "the registration did not go through";
    AppRecord record = SavedRecord();
    EXPECT_EQ(record.Account.UserName, "erin");
    EXPECT_EQ(record.Account.ComputerName, "box");
    EXPECT_EQ(record.Account.Email, "erin@example.org");
    EXPECT_GT(record.Account.UserID, 0);
    EXPECT_TRUE(std::filesystem::exists(temp / "config" / "autostart" / "Kestrovin.desktop"));

    // The balloon: a window of the program that was not there before, once the assistant has
    // gone (the tray icon was there already), other than the splash.
    EXPECT_TRUE(PollUntil(
        [&] {
            if (!WindowsNamed(kAssistant).empty()) {
                return false;
            }
            for (const std::string& window : VisibleWindowsOfClass()) {
                if (!before.contains(window) && !IsSplash(window)) {
                    return true;
                }
            }
            return false;
        },
        10s))
        << "no balloon after the registration";
    const std::filesystem::path pictures = KESTROVIN_DIALOG_SCREENSHOTS;
    std::filesystem::create_directories(pictures);
    RunToEnd({"import", "-display", xvfb.Name(), "-window", "root",
              (pictures / "assistant-9-counting-balloon.png").string()},
             PrivateDesktopHome::WithoutDesktop());
    ASSERT_TRUE(program->Stop());

    // As after a log off: no state file, and the server away again.
    std::filesystem::remove(StateFile());
    std::filesystem::remove(StateFile().string() + ".bak");
    server.Stop();
    StartProgram();
    // "I already have an account" is chosen; Enter in the password field checks for the
    // account's computers.
    Keys({"Return"});
    Type("erin");
    Keys({"Tab"});
    Type("pw");
    Keys({"Return"});
    DismissConnectionFailure();

    ASSERT_TRUE(server.StartAgain(error)) << error;
    // The check again, then Login with the one computer the list holds.
    Keys({"Return", "Return"});
    ASSERT_TRUE(StateSaved()) << "the login did not go through";
    record = SavedRecord();
    EXPECT_EQ(record.Account.UserName, "erin");
    EXPECT_EQ(record.Account.ComputerName, "box");
    EXPECT_TRUE(program->Stop());
}

}  // namespace
