// The icon in an XEmbed tray, and a program started before any tray.
#include "endtoend/DesktopTest.h"

namespace {

TEST_F(DesktopTest, TheIconAppearsInTheTray) {
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    // Docked in trayer's panel at the top of the screen, not a window of its own.
    const Geometry where = GeometryOf(icon);
    EXPECT_GT(where.Width, 0);
    EXPECT_LE(where.Y + where.Height, 24);
    EXPECT_TRUE(StopCounter());
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

}  // namespace
