// Keys typed at a lock screen count but stay out of the tally.
#include "endtoend/DesktopTest.h"

namespace {

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

    // Starts one more screen saver; the output of each goes to the same file.
    void StartScreenSaver() {
        const auto serving = [&] {
            const std::string out = ReadFile(folder_ / "screensaver.out");
            int found = 0;
            for (std::size_t at = out.find("serving"); at != std::string::npos;
                 at = out.find("serving", at + 1)) {
                ++found;
            }
            return found;
        };
        const int before = serving();
        screenSaver_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{KESTROVIN_TEST_SCREENSAVER, "serve"}, environment_,
            folder_ / "screensaver.out");
        ASSERT_TRUE(PollUntil([&] { return serving() == before + 1; }, 10s))
            << ReadFile(folder_ / "screensaver.out");
    }

    // Locks or unlocks, and waits until the program has heard of it.
    bool Lock(bool locked) {
        const std::string said = locked ? "Session locked" : "Session unlocked";
        const int before = DebugLogLines(said);
        const ProgramResult set =
            RunToEnd({KESTROVIN_TEST_SCREENSAVER, "set", locked ? "true" : "false"}, environment_);
        return set.Status == 0 && PollUntil([&] { return DebugLogLines(said) == before + 1; }, 10s);
    }

    // Runs the screen saver's `lie` or `forge` with this many signals.
    void Signals(const std::string& how, int count) {
        const ProgramResult sent =
            RunToEnd({KESTROVIN_TEST_SCREENSAVER, how, std::to_string(count)}, environment_);
        ASSERT_EQ(sent.Status, 0) << sent.Output;
    }

    int DebugLogLines(const std::string& start) const {
        std::istringstream log(ReadFile(DataFile("Debug.log")));
        int found = 0;
        for (std::string line; std::getline(log, line);) {
            found += line.find(start) != std::string::npos ? 1 : 0;
        }
        return found;
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
    EXPECT_EQ(KeyTally(), (Tallied{{'A', 1}, {'B', 1}, {'C', 1}, {'D', 1}}));
    EXPECT_EQ(DebugLogLines("Session lock:"), 0);
}

// Only the screen saver's own word counts: a signal from another program on the bus, and a
// signal whose argument the screen saver's GetActive does not bear out, leave the session locked.
TEST_F(SessionLockTest, SignalsThatTheScreenSaverDoesNotBearOutLeaveTheSessionLocked) {
    StartScreenSaver();
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    Type("ab");
    ASSERT_TRUE(Lock(true));
    Signals("forge", 1);
    Signals("lie", 1);
    Type("secret");
    ASSERT_TRUE(Lock(false));
    Type("cd");
    ASSERT_TRUE(StopCounter());

    using Tallied = std::map<std::int32_t, std::int32_t>;
    EXPECT_EQ(KeyTally(), (Tallied{{'A', 1}, {'B', 1}, {'C', 1}, {'D', 1}}));
    EXPECT_EQ(DebugLogLines("Session unlocked"), 1);
}

// Tens of thousands of signals, from another program and from the screen saver itself, leave
// the debug log as it was: it tells real changes only.
TEST_F(SessionLockTest, AFloodOfSignalsLeavesTheDebugLogAlone) {
    StartScreenSaver();
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    ASSERT_TRUE(Lock(true));
    Signals("forge", 20000);
    Signals("lie", 20000);
    ASSERT_TRUE(Lock(false));  // comes after the flood, so the flood has been handled
    ASSERT_TRUE(StopCounter());

    EXPECT_EQ(DebugLogLines("Session locked"), 1);
    EXPECT_EQ(DebugLogLines("Session unlocked"), 1);
    EXPECT_LT(ReadFile(DataFile("Debug.log")).size(), 10'000u);
}

// The screen saver is heard whenever it starts, and again after it has gone and another one
// holds its name; with it goes its lock screen.
TEST_F(SessionLockTest, TheScreenSaverIsFollowedAsItComesAndGoes) {
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    StartScreenSaver();
    ASSERT_TRUE(Lock(true));
    Type("pw");
    screenSaver_.reset();
    ASSERT_TRUE(PollUntil([&] { return DebugLogLines("Session unlocked") == 1; }, 10s));
    StartScreenSaver();
    ASSERT_TRUE(Lock(true));
    Type("pw");
    ASSERT_TRUE(Lock(false));
    Type("ok");
    ASSERT_TRUE(StopCounter());

    using Tallied = std::map<std::int32_t, std::int32_t>;
    EXPECT_EQ(KeyTally(), (Tallied{{'O', 1}, {'K', 1}}));
}

TEST_F(SessionLockTest, WithoutAScreenSaverKeysAreTalliedAndOneLineSaysSo) {
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    ASSERT_TRUE(PollUntil([&] { return DebugLogLines("Session lock:") == 1; }, 10s))
        << ReadFile(DataFile("Debug.log"));
    Type("see");
    ASSERT_TRUE(StopCounter());

    using Tallied = std::map<std::int32_t, std::int32_t>;
    EXPECT_EQ(KeyTally(), (Tallied{{'S', 1}, {'E', 2}}));
    EXPECT_EQ(DebugLogLines("Session lock:"), 1);
}

}  // namespace
