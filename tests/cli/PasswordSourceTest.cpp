#include "cli/PasswordSource.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

namespace {

// A pipe whose read end holds `text`, as standard input of a script.
class PipedInput {
public:
    explicit PipedInput(const std::string& text) {
        EXPECT_EQ(::pipe(ends_), 0);
        EXPECT_EQ(::write(ends_[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(ends_[1]);
    }
    ~PipedInput() { ::close(ends_[0]); }
    int Fd() const { return ends_[0]; }

private:
    int ends_[2] = {-1, -1};
};

TEST(PasswordSourceTest, ScriptsGiveItInTheEnvironmentOrOnStandardInput) {
    std::ostringstream prompts;
    {
        PipedInput input("from stdin\n");
        EXPECT_EQ(PasswordSource::Read(input.Fd(), prompts, "from env", false).Password,
                  "from env");
    }
    const struct {
        std::string input;
        std::optional<std::string> password;
    } cases[] = {
        {"s3cret pw\nnext line\n", "s3cret pw"},
        {"windows\r\n", "windows"},
        {"no line break", "no line break"},
        {"\n", std::nullopt},
        {"", std::nullopt},
        {std::string(PasswordSource::kMaxLength + 1, 'x') + "\n", std::nullopt},
    };
    for (const auto& c : cases) {
        PipedInput input(c.input);
        const auto read = PasswordSource::Read(input.Fd(), prompts, nullptr, true);
        EXPECT_EQ(read.Password, c.password) << c.input.substr(0, 20);
        if (!read.Password && c.input.size() > 3) {
            EXPECT_EQ(read.Problem.find(c.input.substr(0, 3)), std::string::npos);
        }
    }
    EXPECT_FALSE(PasswordSource::Read(-1, prompts, "", false).Password);
    EXPECT_TRUE(prompts.str().empty()) << "a script is not prompted";
}

// At a terminal the password is typed without echo, asked twice for a new one, and the
// terminal is as it was afterwards.
TEST(PasswordSourceTest, AtATerminalItIsTypedWithoutEcho) {
    int master = -1;
    int terminal = -1;
    ASSERT_EQ(::openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
    termios before{};
    ASSERT_EQ(tcgetattr(terminal, &before), 0);
    ASSERT_TRUE(before.c_lflag & ECHO);

    // Types `keys` once the terminal no longer echoes, as a person at the prompt does.
    const auto typed = [&](const std::string& keys, bool newPassword) {
        std::ostringstream prompts;
        PasswordSource::Result read;
        std::thread reader(
            [&] { read = PasswordSource::Read(terminal, prompts, nullptr, newPassword); });
        termios now{};
        for (int i = 0; i < 500; ++i) {
            if (tcgetattr(master, &now) == 0 && !(now.c_lflag & ECHO)) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(now.c_lflag & ECHO);
        EXPECT_EQ(::write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
        reader.join();
        std::string echoed;
        char buffer[256];
        pollfd waiting{master, POLLIN, 0};
        while (::poll(&waiting, 1, 100) > 0) {
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            echoed.append(buffer, static_cast<std::size_t>(got));
        }
        EXPECT_EQ(echoed.find("hunter"), std::string::npos) << echoed;
        return std::pair(read, prompts.str());
    };

    const auto [once, prompts] = typed("hunter2\n", false);
    EXPECT_EQ(once.Password, "hunter2");
    EXPECT_EQ(prompts, "Password: ");

    const auto [twice, prompted] = typed("hunter3\nhunter3\n", true);
    EXPECT_EQ(twice.Password, "hunter3");
    EXPECT_EQ(prompted, "Password: Password again: ");

    const auto [differing, unused] = typed("hunter4\nhunter5\n", true);
    EXPECT_FALSE(differing.Password);
    EXPECT_EQ(differing.Problem, "the two passwords differ");

    termios after{};
    ASSERT_EQ(tcgetattr(terminal, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    ::close(terminal);
    ::close(master);
}

}  // namespace
