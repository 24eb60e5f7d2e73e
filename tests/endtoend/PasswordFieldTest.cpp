// Keys typed into the program's own password fields count but stay out of the tally.
#include "endtoend/DesktopTest.h"

namespace {

// The three fields of Change Password (reached from the account details with Alt+C; it opens in
// Old Password), then Escape, the message that nothing changed, and OK in the details.
TEST_F(DesktopTest, KeysTypedIntoAPasswordFieldCountButStayOutOfTheTally) {
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_[0]->Pid();
    const auto windowsNamed = [&](const std::string& title) {
        return WindowsNamed(pid, icon, title);
    };
    const auto waitFor = [&](const std::string& title) { return WaitForWindow(pid, icon, title); };

    const std::string details = OpenAccountDetails(pid, icon);
    ASSERT_FALSE(details.empty()) << "no account details";
    Xdotool({"windowfocus", "--sync", details});
    Xdotool({"key", "alt+c"});
    const std::string change = waitFor("Change Password");
    ASSERT_FALSE(change.empty()) << "no Change Password dialog";
    Xdotool({"windowfocus", "--sync", change});
    for (const char* field : {"qwz", "qwz", "qwz"}) {
        Type(field);
        Xdotool({"key", "Tab"});
    }
    Xdotool({"key", "Escape"});
    const std::string message = waitFor("Kestrovin");
    ASSERT_FALSE(message.empty()) << "no message that the password stayed";
    Xdotool({"windowfocus", "--sync", message});
    Xdotool({"key", "Return"});
    ASSERT_TRUE(PollUntil([&] { return windowsNamed("Kestrovin").empty(); }, 10s));
    Xdotool({"windowfocus", "--sync", details});
    Xdotool({"key", "Return"});
    ASSERT_TRUE(PollUntil([&] { return windowsNamed("Your Local Account Details").empty(); }, 10s));
    Type("q");  // outside the fields again: tallied
    ASSERT_TRUE(StopCounter());

    const std::map<std::int32_t, std::int32_t> tally = KeyTally();
    const auto times = [&](std::int32_t key) {
        const auto found = tally.find(key);
        return found == tally.end() ? 0 : found->second;
    };
    std::int64_t tallied = 0;
    for (const auto& [key, count] : tally) {
        tallied += count;
    }
    EXPECT_EQ(times('Q'), 1);
    EXPECT_EQ(times('W'), 0);
    EXPECT_EQ(times('Z'), 0);
    EXPECT_GT(times('A'), 0);  // the Account submenu's mnemonic
    // The nine letters (and some of the keys that moved between the fields) count as keys.
    const std::string status = Status();
    EXPECT_GE(std::stoll(StatusValue(status, "Unsent keys")), tallied + 9) << status;
    // The count since the tally's last reset is the tally's total, whatever was left out.
    FileTypedStore store(folder_ / "config" / "Kestrovin" / "registry.conf");
    std::int32_t sinceReset = -1;
    EXPECT_TRUE(store.ReadInt("Software\\Kestrovin\\User", "KeysSinceLastReset", sinceReset));
    EXPECT_EQ(sinceReset, tallied);
}

}  // namespace
