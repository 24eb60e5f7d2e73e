// Keys typed at a lock screen count but stay out of the tally.
#include "counting/KeyFrequencyTable.h"

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
