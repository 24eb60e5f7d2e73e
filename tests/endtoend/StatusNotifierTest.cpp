// The program in StatusNotifierItem trays: a host of the tests' own and xfce4-panel.
#include "endtoend/DesktopTest.h"

namespace {

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

    // Starts the program with nothing but `path` to find programs in, clicks "Online Help Wiki"
    // in the panel's menu and returns the message that comes, as a screen reader reads it
    // (accessibility is on for this), after a picture of the screen named `picture` (none for
    // ""); the message is answered with Enter. "" when none came.
    std::string WikiMessageWithPath(const std::filesystem::path& path, const std::string& picture) {
        SetVariable("PATH", path.string());
        SetVariable("BROWSER", "");
        SetVariable("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        if (!StartCounterOnHost()) {
            ADD_FAILURE() << "the icon did not register with the host";
            return "";
        }
        const pid_t pid = counters_.back()->Pid();
        const ProgramResult click = Host({"click", "Online Help Wiki"});
        EXPECT_EQ(click.Status, 0) << click.Output;
        std::string box;
        if (!PollUntil([&] { return !(box = VisibleWindowOf(pid)).empty(); }, 20s)) {
            ADD_FAILURE() << "no message";
            return "";
        }
        EXPECT_EQ(Xdotool({"getwindowname", box}), "Kestrovin\n");
        std::string shown;
        PollUntil(
            [&] {
                const ProgramResult read =
                    RunToEnd({KESTROVIN_TEST_A11Y, "Kestrovin"}, environment_);
                shown = read.Status == 0 ? read.Output : "";
                return shown.find("Please open it yourself") != std::string::npos;
            },
            10s);
        if (!picture.empty()) {
            KeepPicture(picture);
        }
        Xdotool({"windowfocus", "--sync", box});
        Xdotool({"key", "Return"});
        EXPECT_TRUE(PollUntil([&] { return VisibleWindowOf(pid).empty(); }, 10s))
            << "the message stayed";
        return shown;
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

// A panel lays the menu out from the layout it holds and only then hears the program's
// answer to its opening: the countdown in the first item must be current there before the menu
// opens, or the first opening after the label grew cuts it off (xfce4-panel does).
TEST_F(StatusNotifierTest, TheMenuAPanelHoldsCarriesTheCurrentCountdown) {
    SetPreference("SkeldEveryHours", 1);
    ASSERT_TRUE(StartCounterOnHost()) << "the icon did not register with the host";
    const auto firstItem = [&] {
        const std::string layout = Host({"layout"}).Output;
        return layout.substr(0, layout.find('\n'));
    };
    // The registration just before the start began the hour ("60 Minutes" at the start); half
    // a minute later the label says 59, without the menu having been opened.
    EXPECT_TRUE(PollUntil([&] { return firstItem() == "Skeld Now!  (Auto in 59 Minutes)"; }, 60s))
        << firstItem();
    EXPECT_TRUE(StopCounter());
}

TEST_F(StatusNotifierTest, APageNoBrowserCanOpenIsShownInAMessage) {
    // Nothing on the program's path can open a page: no xdg-open, no browser.
    const std::filesystem::path emptyPath = folder_ / "empty-path";
    std::filesystem::create_directories(emptyPath);
    const std::string message = WikiMessageWithPath(emptyPath, "PageThatCannotBeOpened.png");
    EXPECT_NE(message.find("No web browser could be started to open this page. Please open it "
                           "yourself:"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("/wiki/"), std::string::npos) << message;
    EXPECT_TRUE(StopCounter());
}

TEST_F(StatusNotifierTest, APageTheBrowserRefusesIsShownInAMessage) {
    // xdg-open starts, and fails as it does when the browser it starts refuses to run.
    const std::filesystem::path refusingPath = folder_ / "refusing-path";
    std::filesystem::create_directories(refusingPath);
    std::ofstream(refusingPath / "xdg-open")
        << "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"${0%/*}/asked\"\nexit 4\n";
    std::filesystem::permissions(refusingPath / "xdg-open", std::filesystem::perms::owner_all);
    const std::string message = WikiMessageWithPath(refusingPath, "");
    EXPECT_NE(message.find("The web browser could not open this page. Please open it yourself:"),
              std::string::npos)
        << message;
    const std::string asked = ReadFile(refusingPath / "asked");
    EXPECT_TRUE(asked.starts_with("http://") && asked.ends_with("/wiki/\n")) << asked;
    EXPECT_NE(message.find(asked.substr(0, asked.size() - 1)), std::string::npos) << message;
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

}  // namespace
