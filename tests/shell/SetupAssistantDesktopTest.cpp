// The tray program's first start on a real (virtual) X server: it has no account, shows the
// setup assistant, and a registration typed into it becomes the saved account.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "counting/KeyFrequencyTable.h"
#include "persistence/AppPersistence.h"
#include "persistence/AppRecord.h"
#include "platform/linux/FileTypedStore.h"
#include "support/ChildProcess.h"
#include "support/InProcessStatsServer.h"
#include "support/RecordingUser.h"
#include "support/RunProgram.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/XvfbServer.h"

namespace {

// The test's own environment, as ScopedEnvironment left it, for a program it starts.
std::vector<std::string> CurrentEnvironment() {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        variables.emplace_back(*entry);
    }
    return variables;
}

// Runs xdotool with a limit, so that a window that never comes fails the test instead of
// hanging it.
int XDoTool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"timeout", "30", "xdotool"});
    return RunProgram(arguments);
}

TEST(SetupAssistantDesktopTest, ARegistrationOnTheFirstStartBecomesTheSavedAccount) {
    XvfbServer display;
    if (display.Name().empty()) {
        GTEST_SKIP() << display.Problem();
    }
    if (RunProgram({"xdotool", "--version"}) != 0) {
        GTEST_SKIP() << "xdotool is not installed (scripts/install-deps installs it)";
    }
    TempFolder temp;
    ScopedEnvironment environment;
    environment.Set("DISPLAY", display.Name());
    environment.Set("HOME", (temp / "home").string());
    environment.Set("XDG_DATA_HOME", (temp / "data").string());
    environment.Set("XDG_CONFIG_HOME", (temp / "config").string());
    environment.Set("XDG_RUNTIME_DIR", (temp / "run").string());
    environment.Unset("QT_QPA_PLATFORM");
    std::filesystem::create_directories(temp / "run");
    std::filesystem::permissions(temp / "run", std::filesystem::perms::owner_all);

    InProcessStatsServer server;
    std::string error;
    ASSERT_TRUE(server.Start(temp / "stats.sqlite", error)) << error;
    environment.Set("KESTROVIN_SERVER", server.Address());

    ChildProcess program({KESTROVIN_PROGRAM}, CurrentEnvironment(), temp / "kestrovin.out");
    ASSERT_NE(program.Pid(), 0);
    ASSERT_EQ(XDoTool({"search", "--sync", "--name", "Kestrovin Setup Assistant", "windowfocus",
                       "--sync"}),
              0);
    // Down picks "I need to register a new account", Enter continues; the fields follow in
    // tab order and Enter registers.
    ASSERT_EQ(XDoTool({"key", "Down", "Return"}), 0);
    for (const char* text : {"erin", "pw", "erin@example.org"}) {
        ASSERT_EQ(XDoTool({"type", "--delay", "10", text}), 0);
        ASSERT_EQ(XDoTool({"key", "Tab"}), 0);
    }
    ASSERT_EQ(XDoTool({"type", "--delay", "10", "box"}), 0);
    ASSERT_EQ(XDoTool({"key", "Return"}), 0);

    const std::filesystem::path stateFile = temp / "data" / "Kestrovin" / "Kestrovin.ksv";
    for (int i = 0; i < 300 && !std::filesystem::exists(stateFile); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    program.Stop();

    RecordingUser user;
    AppPersistence persistence(DataFolder(temp / "program", temp / "data"),
                               FileTypedStore::DefaultPath(), user, StorageAccess::ReadOnly);
    AppRecord record;
    KeyFrequencyTable tally;
    ASSERT_EQ(persistence.LoadState(record, tally), LoadResult::Loaded);
    EXPECT_EQ(record.Account.UserName, "erin");
    EXPECT_EQ(record.Account.ComputerName, "box");
    EXPECT_EQ(record.Account.Email, "erin@example.org");
    EXPECT_GT(record.Account.UserID, 0);
    EXPECT_TRUE(std::filesystem::exists(temp / "config" / "autostart" / "Kestrovin.desktop"));
}

}  // namespace
