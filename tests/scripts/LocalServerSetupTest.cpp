#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "files/FileIo.h"
#include "support/ChildProcess.h"
#include "support/ListeningAddress.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// The Exec line of a desktop entry, split at blanks (the test's paths have none).
std::vector<std::string> ExecArguments(const fs::path& entry) {
    const std::string text = ReadWholeFile(entry).value_or("");
    const std::size_t start = text.find("\nExec=");
    if (start == std::string::npos) {
        return {};
    }
    std::istringstream line(text.substr(start + 6, text.find('\n', start + 1) - start - 6));
    std::vector<std::string> arguments;
    for (std::string argument; line >> argument;) {
        arguments.push_back(argument);
    }
    return arguments;
}

// What scripts/run sets up for its local server, as the next log-in finds it: the log-in entry
// starts the server on the remembered address, and the program, once it ran with that server,
// is started with the same address.
TEST(LocalServerSetupTest, TheNextLogInStartsTheServerWhereTheProgramLooks) {
    TempFolder home;
    const std::vector<std::string> environment = {
        "HOME=" + home.Path().string(),
        "XDG_CONFIG_HOME=" + (home / "config").string(),
        "XDG_DATA_HOME=" + (home / "data").string(),
        "XDG_RUNTIME_DIR=" + home.Path().string(),
        "PATH=/usr/bin:/bin",
    };
    const std::string script = KESTROVIN_SOURCE_DIR "/scripts/local-server";
    const ProgramResult installed =
        RunToEnd({script, "install", KESTROVIN_STATS_SERVER}, environment);
    ASSERT_EQ(installed.Status, 0) << installed.Output;
    const std::string address = installed.Output.substr(0, installed.Output.find('\n'));
    ASSERT_TRUE(address.starts_with("127.0.0.1:")) << address;
    // Chosen once: a second run keeps it.
    EXPECT_EQ(RunToEnd({script, "install", KESTROVIN_STATS_SERVER}, environment).Output,
              installed.Output);

    // Log-in: the session runs the server's entry.
    const fs::path serverEntry = home / "config/autostart/kestrovin-stats-server.desktop";
    const std::vector<std::string> serverCommand = ExecArguments(serverEntry);
    ASSERT_FALSE(serverCommand.empty());
    EXPECT_EQ(serverCommand[0], fs::canonical(KESTROVIN_STATS_SERVER).string());
    ChildProcess server(serverCommand, environment, home / "server.out");
    std::optional<std::string> listening;
    for (int i = 0; i < 200 && !listening; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        listening = ListeningAddress(home / "server.out");
    }
    ASSERT_EQ(listening.value_or("no server"), address);

    // The program was registered while it ran with that server (as scripts/run starts it).
    std::vector<std::string> withServer = environment;
    withServer.push_back("KESTROVIN_SERVER=" + address);
    const ProgramResult registered =
        RunToEnd({KESTROVIN_CLI, "register", "--user", "dora", "--password", "pw", "--email",
                  "dora@example.org", "--computer", "den"},
                 withServer);
    ASSERT_EQ(registered.Status, 0) << registered.Output;
    const std::vector<std::string> programCommand =
        ExecArguments(home / "config/autostart/Kestrovin.desktop");
    ASSERT_EQ(programCommand.size(), 3u);
    EXPECT_EQ(programCommand[0], "env");
    EXPECT_EQ(programCommand[1], "KESTROVIN_SERVER=" + address);

    // The program started as the entry says reaches the server started as its entry says.
    const ProgramResult status = RunToEnd({KESTROVIN_CLI, "check-version"}, withServer);
    EXPECT_EQ(status.Status, 0) << status.Output;

    const ProgramResult removed = RunToEnd({script, "uninstall"}, environment);
    EXPECT_EQ(removed.Status, 0) << removed.Output;
    EXPECT_FALSE(fs::exists(serverEntry));
    EXPECT_FALSE(fs::exists(home / "config/autostart/Kestrovin.desktop"));
    EXPECT_FALSE(fs::exists(home / "config/Kestrovin/local-server.conf"));
    EXPECT_TRUE(fs::exists(home / "data/Kestrovin/stats-server.sqlite"));
}

}  // namespace
