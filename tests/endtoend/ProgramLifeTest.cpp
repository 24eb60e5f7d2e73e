// Start and end: the splash, counts kept across a SIGTERM, one instance at a time.
#include "counting/KeyFrequencyTable.h"

#include "endtoend/DesktopTest.h"

namespace {

// The splash shows centred on the screen, with the program's icon, while start-up goes on, and
// goes by itself.
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
    // The program's icon goes with every window of it, for title bars and window switchers.
    const std::string icon =
        RunToEnd({"xprop", "-display", xvfb_.Name(), "-id", shown.front(), "_NET_WM_ICON"},
                 PrivateDesktopHome::WithoutDesktop())
            .Output;
    for (const char* size : {"Icon (48 x 48)", "Icon (64 x 64)", "Icon (128 x 128)"}) {
        EXPECT_NE(icon.find(size), std::string::npos) << size << " in " << icon.substr(0, 200);
    }

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

}  // namespace
