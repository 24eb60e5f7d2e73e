// kestrovin-cli's server commands as a user runs them: the real program against the real
// reference statistics server on a free loopback port, with a home of their own.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "cli/ServerCommands.h"
#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "files/FileIo.h"
#include "persistence/AppPersistence.h"
#include "persistence/FileTypedStore.h"
#include "platform/linux/SingleInstanceLock.h"
#include "support/InProcessStatsServer.h"
#include "support/RecordingHttpServer.h"
#include "support/RecordingUser.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/UnwritableFolder.h"

namespace {

struct CliRun {
    int Status;
    std::string Output;  // standard output, then standard error
    std::string Errors;  // standard error alone
};

class ServerCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server.Start(temp / "stats.sqlite", error)) << error;
        ::mkdir((temp / "runtime").c_str(), 0700);
        // The command runs as a separate program; the test reads its files with the same
        // variables set here.
        environment.Set("HOME", temp.Path().string());
        environment.Set("XDG_CONFIG_HOME", (temp / "config").string());
        environment.Set("XDG_DATA_HOME", (temp / "data").string());
        environment.Set("XDG_RUNTIME_DIR", (temp / "runtime").string());
        environment.Set("KESTROVIN_SERVER", server.Address());
    }
    void TearDown() override { server.Stop(); }

    CliRun Cli(const std::string& arguments) const {
        const std::filesystem::path errors = temp / "stderr.txt";
        const std::string command =
            std::string(KESTROVIN_CLI) + " " + arguments + " 2>'" + errors.string() + "'";
        CliRun run{-1, {}, {}};
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return run;
        }
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            run.Output += buffer;
        }
        const int status = ::pclose(pipe);
        run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.Errors = ReadWholeFile(errors).value_or("");
        run.Output += run.Errors;
        return run;
    }

    std::filesystem::path DataFolderPath() const { return temp / "data" / "Kestrovin"; }

    // Changes the saved record as the tray program would have.
    void ChangeSaved(const std::function<void(AccountState&)>& change) {
        RecordingUser user;
        AppPersistence persistence(DataFolder({}, temp / "data"), FileTypedStore::DefaultPath(),
                                   user);
        AppRecord record;
        KeyFrequencyTable tally;
        ASSERT_EQ(persistence.LoadState(record, tally), LoadResult::Loaded);
        change(record.Account);
        persistence.SaveAll(record, tally);
    }
    // Counts waiting to be sent.
    void Count(std::int32_t keys, std::int32_t clicks) {
        ChangeSaved([&](AccountState& account) {
            account.AddUnsentKeys(keys);
            account.AddUnsentClicks(clicks);
        });
    }

    std::string StatsPage(int userId) {
        httplib::Client client("127.0.0.1", server.Port());
        const auto result = client.Get("/stats/users/" + std::to_string(userId) + "/");
        return result ? result->body : std::string();
    }

    TempFolder temp;
    ScopedEnvironment environment;
    InProcessStatsServer server;
};

TEST_F(ServerCommandsTest, RegisterThenSkeldAddsToTheServersTotals) {
    const CliRun registered = Cli(
        "register --user dora --password 'open sesame' --email dora@example.org --computer den");
    ASSERT_EQ(registered.Status, 0) << registered.Output;
    EXPECT_NE(registered.Output.find("Account dora on computer den is set up (user id 1)."),
              std::string::npos)
        << registered.Output;
    EXPECT_EQ(Cli("status").Status, 0);

    EXPECT_EQ(Cli("skeld").Output,
              "Nothing to send: no keys or clicks counted since the last skeld.\n");

    Count(1234, 56);
    const CliRun first = Cli("skeld");
    ASSERT_EQ(first.Status, 0) << first.Output;
    EXPECT_NE(first.Output.find("Skelded 1,234 keys and 56 clicks."), std::string::npos)
        << first.Output;
    Count(766, 4);
    ASSERT_EQ(Cli("skeld").Status, 0);

    const std::string page = StatsPage(1);
    EXPECT_NE(page.find("2,000"), std::string::npos) << page;
    const CliRun status = Cli("status");
    EXPECT_NE(status.Output.find("Unsent keys:     0\n"), std::string::npos) << status.Output;
    EXPECT_NE(status.Output.find("Total keys:      2,000\n"), std::string::npos) << status.Output;
}

// A token the server no longer takes: without --yes nothing changes; with it the token is
// reset, saved, and the waiting counts go with the old one, so the next skeld is accepted.
TEST_F(ServerCommandsTest, SkeldYesResetsARefusedTokenAndKeepsTheNewOne) {
    ASSERT_EQ(
        Cli("register --user fay --password pw --email fay@example.org --computer den").Status, 0);
    Count(10, 2);
    ChangeSaved([](AccountState& account) { account.Token = "stale"; });

    const CliRun declined = Cli("skeld");
    EXPECT_EQ(declined.Status, 1);
    EXPECT_NE(declined.Output.find("Would you like to reset it now? [answered No]"),
              std::string::npos)
        << declined.Output;
    EXPECT_NE(declined.Output.find("the counts stay unsent"), std::string::npos) << declined.Output;

    const CliRun reset = Cli("skeld --yes");
    EXPECT_EQ(reset.Status, TokenResetExitStatus) << reset.Output;
    EXPECT_NE(reset.Output.find("Token reset!"), std::string::npos) << reset.Output;
    EXPECT_NE(reset.Output.find("The new token is saved; the 10 keys and 2 clicks that were "
                                "waiting were dropped with the old one"),
              std::string::npos)
        << reset.Output;
    EXPECT_EQ(reset.Output.find("stay unsent"), std::string::npos) << reset.Output;
    EXPECT_NE(Cli("status").Output.find("Unsent keys:     0\n"), std::string::npos);

    Count(7, 1);
    const CliRun next = Cli("skeld");
    EXPECT_EQ(next.Status, 0) << next.Output;
    EXPECT_NE(next.Output.find("Skelded 7 keys and 1 clicks."), std::string::npos) << next.Output;
}

// An account the server accepted but that cannot be stored here: the command fails and tells
// how to take the account on once the folder can be written to (the account exists now, so it
// is a login, also after a register).
TEST_F(ServerCommandsTest, AnAccountThatCannotBeSavedFailsAndSaysHowToGoOn) {
    ASSERT_EQ(
        Cli("register --user gil --password pw --email gil@example.org --computer den").Status, 0);
    for (const char* command :
         {"register --user hal --password pw --email hal@example.org --computer den",
          "login --user gil --password pw --computer den"}) {
        std::filesystem::create_directories(DataFolderPath());
        UnwritableFolder readOnly(DataFolderPath());
        if (!readOnly.Held()) {
            GTEST_SKIP() << UnwritableFolder::kSkipReason;
        }
        const CliRun run = Cli(command);
        EXPECT_EQ(run.Status, 1) << command << '\n' << run.Output;
        EXPECT_EQ(run.Output.find("is set up"), std::string::npos) << run.Output;
        EXPECT_NE(run.Errors.find("could not be saved. Make sure the data folder " +
                                  DataFolderPath().string()),
                  std::string::npos)
            << run.Errors;
        EXPECT_NE(run.Errors.find("can be written to, then run: kestrovin-cli login --user "),
                  std::string::npos)
            << run.Errors;
    }
    // As told: with the folder writable again, the login takes the account on.
    const CliRun login = Cli("login --user hal --password pw --computer den");
    EXPECT_EQ(login.Status, 0) << login.Output;
    Count(5, 1);
    const CliRun skeld = Cli("skeld");
    EXPECT_EQ(skeld.Status, 0) << skeld.Output;
    EXPECT_NE(skeld.Output.find("Skelded 5 keys and 1 clicks."), std::string::npos) << skeld.Output;
}

// Every skeld brings a new token, the only one the server takes next: a skeld that could not
// store it would leave a token the server refuses, so nothing is sent.
TEST_F(ServerCommandsTest, ASkeldThatCannotSaveSendsNothing) {
    ASSERT_EQ(
        Cli("register --user ida --password pw --email ida@example.org --computer den").Status, 0);
    Count(1234, 56);
    {
        UnwritableFolder readOnly(DataFolderPath());
        if (!readOnly.Held()) {
            GTEST_SKIP() << UnwritableFolder::kSkipReason;
        }
        const CliRun run = Cli("skeld");
        EXPECT_EQ(run.Status, 1) << run.Output;
        EXPECT_NE(run.Errors.find("nothing was sent"), std::string::npos) << run.Errors;
        EXPECT_EQ(run.Output.find("Skelded"), std::string::npos) << run.Output;
    }
    EXPECT_EQ(StatsPage(1).find("1,234"), std::string::npos);
    const CliRun next = Cli("skeld");
    EXPECT_EQ(next.Status, 0) << next.Output;
    EXPECT_NE(next.Output.find("Skelded 1,234 keys and 56 clicks."), std::string::npos)
        << next.Output;
}

// The folder turns read-only while the server answers (a portable drive pulled out): the
// server holds a new token this computer lost. The command says so and what to do, and doing
// it works.
TEST_F(ServerCommandsTest, ASkeldWhoseNewTokenCannotBeStoredSaysWhatToDo) {
    const struct {
        const char* Command;
        int TurnsReadOnlyAt;  // the request while which the folder turns read-only
        const char* Said;
    } cases[] = {
        {"skeld", 1, "the server took the 30 keys and 3 clicks, but the new token"},
        // The skeld meets the stale token, then the token reset comes second.
        {"skeld --yes", 2, "the server reset the token, but the new one"},
    };
    int userId = 0;
    for (const auto& c : cases) {
        const std::string user = std::string("jo") + std::to_string(++userId);
        ASSERT_EQ(Cli("register --user " + user + " --password pw --email " + user +
                      "@example.org --computer den")
                      .Status,
                  0);
        Count(30, 3);
        if (c.TurnsReadOnlyAt == 2) {
            ChangeSaved([](AccountState& account) { account.Token = "stale"; });
        }
        std::mutex turned;  // the server's thread turns it, the test's looks
        std::optional<UnwritableFolder> readOnly;
        int requests = 0;
        RecordingHttpServer forwarder([&](const httplib::Request& request,
                                          httplib::Response& response) {
            if (std::scoped_lock lock(turned); ++requests == c.TurnsReadOnlyAt) {
                readOnly.emplace(DataFolderPath());
            }
            httplib::Client client("127.0.0.1", server.Port());
            const auto reply =
                client.Post(request.path, request.body, request.get_header_value("Content-Type"));
            response.set_content(reply ? reply->body : "", "text/plain");
        });
        environment.Set("KESTROVIN_SERVER", "127.0.0.1:" + std::to_string(forwarder.Port()));
        const CliRun run = Cli(c.Command);
        environment.Set("KESTROVIN_SERVER", server.Address());
        {
            std::scoped_lock lock(turned);
            ASSERT_TRUE(readOnly.has_value()) << c.Command << '\n' << run.Output;
            if (!readOnly->Held()) {
                GTEST_SKIP() << UnwritableFolder::kSkipReason;
            }
            readOnly.reset();
        }
        EXPECT_EQ(run.Status, 1) << run.Output;
        EXPECT_NE(run.Errors.find(c.Said), std::string::npos) << run.Errors;
        EXPECT_NE(run.Errors.find("the server now refuses the token stored here"),
                  std::string::npos)
            << run.Errors;
        EXPECT_NE(
            run.Errors.find("then run: kestrovin-cli login --user " + user + " --computer den"),
            std::string::npos)
            << run.Errors;

        // As said: the next skeld meets the refused token until the login fetches the current
        // one, which drops the counts left on disk (sent already, or dropped with the reset).
        Count(1, 0);
        EXPECT_NE(Cli("skeld").Output.find("Invalid token!"), std::string::npos);
        ASSERT_EQ(Cli("login --user " + user + " --password pw --computer den").Status, 0);
        Count(7, 1);
        const CliRun next = Cli("skeld");
        EXPECT_EQ(next.Status, 0) << next.Output;
        EXPECT_NE(next.Output.find("Skelded 7 keys and 1 clicks."), std::string::npos)
            << next.Output;
    }
}

TEST_F(ServerCommandsTest, LoginNeedsAComputerOfTheAccount) {
    ASSERT_EQ(
        Cli("register --user erik --password pw --email erik@example.org --computer desk").Status,
        0);
    const CliRun wrongComputer = Cli("login --user erik --password pw --computer attic");
    EXPECT_EQ(wrongComputer.Status, 1);
    EXPECT_NE(wrongComputer.Output.find("has no computer named attic; its computers are: desk"),
              std::string::npos)
        << wrongComputer.Output;
    const CliRun wrongPassword = Cli("login --user erik --password nope --computer desk");
    EXPECT_EQ(wrongPassword.Status, 1);
    EXPECT_NE(wrongPassword.Output.find("Wrong password for account erik!"), std::string::npos)
        << wrongPassword.Output;
    EXPECT_EQ(Cli("login --user erik --password pw --computer desk").Status, 0);
    EXPECT_EQ(Cli("check-version").Output, "You already have the latest version of Kestrovin!\n");
}

// Passwords stay out of the process list and the shell's history: scripts hand them over in
// the environment or on standard input, and no error repeats a value.
TEST_F(ServerCommandsTest, PasswordsComeFromTheEnvironmentOrStandardInputAndAreNeverRepeated) {
    const CliRun none =
        Cli("register --user fred --email fred@example.org --computer den </dev/null");
    EXPECT_EQ(none.Status, 2) << none.Output;
    EXPECT_NE(none.Errors.find("no password"), std::string::npos) << none.Errors;

    environment.Set("KESTROVIN_PASSWORD", "s3cret pw");
    const CliRun byEnvironment =
        Cli("register --user fred --email fred@example.org --computer den");
    ASSERT_EQ(byEnvironment.Status, 0) << byEnvironment.Output;
    EXPECT_EQ(byEnvironment.Errors.find("warning"), std::string::npos) << byEnvironment.Errors;
    environment.Unset("KESTROVIN_PASSWORD");

    ASSERT_TRUE(WriteFileAtomically(temp / "right.txt", "s3cret pw\n", 0600));
    ASSERT_TRUE(WriteFileAtomically(temp / "wrong.txt", "hunter2\n", 0600));
    const CliRun byInput =
        Cli("login --user fred --computer den <'" + (temp / "right.txt").string() + "'");
    EXPECT_EQ(byInput.Status, 0) << byInput.Output;
    const CliRun wrongByInput =
        Cli("login --user fred --computer den <'" + (temp / "wrong.txt").string() + "'");
    EXPECT_EQ(wrongByInput.Status, 1) << wrongByInput.Output;
    EXPECT_EQ(wrongByInput.Output.find("hunter2"), std::string::npos) << wrongByInput.Output;

    const CliRun onTheLine = Cli("login --user fred --password 's3cret pw' --computer den");
    EXPECT_EQ(onTheLine.Status, 0) << onTheLine.Output;
    EXPECT_NE(onTheLine.Errors.find("warning: a password given with --password"), std::string::npos)
        << onTheLine.Errors;

    for (const char* mistyped : {"logn --user fred --password hunter2 --computer den",
                                 "login --user fred hunter2 --computer den",
                                 "login --user fred --pasword hunter2 --computer den"}) {
        const CliRun refused = Cli(mistyped);
        EXPECT_EQ(refused.Status, 2) << mistyped;
        EXPECT_EQ(refused.Output.find("hunter2"), std::string::npos) << refused.Output;
    }
}

TEST_F(ServerCommandsTest, ARefusedRegistrationSaysTheServersReason) {
    const CliRun refused =
        Cli("register --user gwen --password pw --email 'not an address' --computer den");
    EXPECT_EQ(refused.Status, 1) << refused.Output;
    EXPECT_NE(refused.Output.find("Server message: Please give a valid e-mail address."),
              std::string::npos)
        << refused.Output;
}

TEST_F(ServerCommandsTest, RefusesWhileTheTrayProgramRuns) {
    SingleInstanceLock trayProgram(SingleInstanceLock::DefaultPath());
    ASSERT_TRUE(trayProgram.Held());
    for (const char* command :
         {"skeld", "check-version", "login --user a --password b --computer c"}) {
        const CliRun run = Cli(command);
        EXPECT_EQ(run.Status, 1) << command;
        EXPECT_NE(run.Output.find("Kestrovin is running"), std::string::npos) << run.Output;
    }
    EXPECT_EQ(Cli("register --user a --password b").Status, 2);  // missing options
}

TEST_F(ServerCommandsTest, RefusesWhenItCannotTellWhetherTheTrayProgramRuns) {
    environment.Set("XDG_RUNTIME_DIR", (temp / "missing").string());
    const CliRun run = Cli("check-version");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("cannot make sure that only one copy of it runs"), std::string::npos)
        << run.Output;
}

TEST_F(ServerCommandsTest, LeftoversOfInterruptedSavesAreClearedUnderTheLock) {
    const std::filesystem::path leftover = temp / "data" / "Kestrovin" / "Kestrovin.ksv.Ab12Cd";
    std::filesystem::create_directories(leftover.parent_path());
    std::ofstream(leftover) << "password";
    EXPECT_EQ(Cli("check-version").Status, 0);
    EXPECT_FALSE(std::filesystem::exists(leftover));
}

}  // namespace
