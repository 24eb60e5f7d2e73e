#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
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

// Whether something accepts connections on the loopback port.
bool Answers(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

bool StopsAnswering(int port) {
    for (int i = 0; i < 200; ++i) {
        if (!Answers(port)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
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
    // The session's manager runs it as a child; the server goes when the session does.
    std::vector<std::string> sessionCommand = {"/bin/sh", "-c", "\"$@\" & wait", "session"};
    sessionCommand.insert(sessionCommand.end(), serverCommand.begin(), serverCommand.end());
    auto session = std::make_unique<ChildProcess>(sessionCommand, environment, home / "server.out");
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

    // The program started as the entry says reaches the server started as its entry says, and
    // so does the command-line tool in any terminal, without KESTROVIN_SERVER.
    for (const auto& environmentOfTheRun : {withServer, environment}) {
        const ProgramResult status =
            RunToEnd({KESTROVIN_CLI, "check-version"}, environmentOfTheRun);
        EXPECT_EQ(status.Status, 0) << status.Output;
    }

    // Log-out: the session ends and the server with it.
    const int port = std::stoi(address.substr(address.find(':') + 1));
    ASSERT_TRUE(Answers(port));
    session.reset();
    EXPECT_TRUE(StopsAnswering(port)) << "the server outlived its session";

    // Uninstalling stops a server that is running.
    ChildProcess again(serverCommand, environment, home / "again.out");
    listening.reset();
    for (int i = 0; i < 200 && !listening; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        listening = ListeningAddress(home / "again.out");
    }
    ASSERT_EQ(listening.value_or("no server"), address);
    const ProgramResult removed = RunToEnd({script, "uninstall"}, environment);
    EXPECT_TRUE(again.WaitForExit(std::chrono::seconds(10))) << removed.Output;
    EXPECT_NE(removed.Output.find("Stopped the statistics server on " + address), std::string::npos)
        << removed.Output;
    EXPECT_EQ(removed.Status, 0) << removed.Output;
    EXPECT_FALSE(fs::exists(serverEntry));
    EXPECT_FALSE(fs::exists(home / "config/autostart/Kestrovin.desktop"));
    EXPECT_FALSE(fs::exists(home / "config/Kestrovin/local-server.conf"));
    EXPECT_TRUE(fs::exists(home / "data/Kestrovin/stats-server.sqlite"));
}

// With the kestrovin-stats-server package installed, the log-in entry starts the installed
// server, so the set-up keeps working once the checkout that ran scripts/run is gone.
TEST(LocalServerSetupTest, WithTheServerInstalledTheLogInEntryOutlivesTheCheckout) {
    TempFolder home;
    const fs::path installed = home / "usr/bin";
    const fs::path checkout = home / "checkout";
    fs::create_directories(installed);
    fs::create_directories(checkout);
    fs::copy_file(KESTROVIN_STATS_SERVER, installed / "kestrovin-stats-server");
    fs::copy_file(KESTROVIN_STATS_SERVER, checkout / "kestrovin-stats-server");
    const std::vector<std::string> environment = {
        "HOME=" + home.Path().string(),
        "XDG_CONFIG_HOME=" + (home / "config").string(),
        "XDG_DATA_HOME=" + (home / "data").string(),
        "PATH=" + installed.string() + ":/usr/bin:/bin",
    };
    const std::string script = KESTROVIN_SOURCE_DIR "/scripts/local-server";
    const ProgramResult set =
        RunToEnd({script, "install", (checkout / "kestrovin-stats-server").string()}, environment);
    ASSERT_EQ(set.Status, 0) << set.Output;
    const std::string address = set.Output.substr(0, set.Output.find('\n'));
    fs::remove_all(checkout);

    const std::vector<std::string> serverCommand =
        ExecArguments(home / "config/autostart/kestrovin-stats-server.desktop");
    ASSERT_FALSE(serverCommand.empty());
    EXPECT_EQ(serverCommand[0], (installed / "kestrovin-stats-server").string());
    ChildProcess server(serverCommand, environment, home / "server.out");
    std::optional<std::string> listening;
    for (int i = 0; i < 200 && !listening; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        listening = ListeningAddress(home / "server.out");
    }
    EXPECT_EQ(listening.value_or("no server"), address);
    EXPECT_EQ(RunToEnd({script, "uninstall"}, environment).Status, 0);
}

}  // namespace
