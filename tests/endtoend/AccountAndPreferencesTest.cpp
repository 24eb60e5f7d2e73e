// The account details and the preferences opened from the tray menu.
#include "endtoend/DesktopTest.h"

namespace {

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

    const std::string details = OpenAccountDetails(pid, icon);
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

}  // namespace
