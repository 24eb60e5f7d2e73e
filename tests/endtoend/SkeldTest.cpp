// Skelds: after enough keys, from the tray menu, and the icon while one is under way.
#include <netinet/in.h>
#include <sys/socket.h>

#include "endtoend/DesktopTest.h"

namespace {

// A loopback port that takes connections and never answers: an exchange with it lasts until
// the program's receive time-out.
class SilentServer {
public:
    SilentServer() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ >= 0 && ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(socket_, 8) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~SilentServer() {
        if (socket_ >= 0) {
            ::close(socket_);
        }
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    // "127.0.0.1:port", or "" when no port could be had.
    std::string Address() const { return port_ == 0 ? "" : "127.0.0.1:" + std::to_string(port_); }

private:
    int socket_;
    int port_ = 0;
};

TEST_F(DesktopTest, SkeldEveryKeysSendsWhenTheLastOfThemIsReleased) {
    SetPreference("SkeldEvery", 250);
    ASSERT_FALSE(StartCounter().empty()) << "no tray icon";
    Type(std::string(249, 'k'));
    WaitUntilSkeldAllowed();
    EXPECT_EQ(ServerAccount().totalKeys, 0) << "sent before the 250th key";

    Type("k");
    EXPECT_TRUE(ServerKeysReach(250));
    EXPECT_EQ(ServerAccount().totalKeys, 250);
    ASSERT_TRUE(StopCounter());
    const std::string status = Status();
    EXPECT_EQ(StatusValue(status, "Unsent keys"), "0") << status;
    EXPECT_EQ(StatusValue(status, "Total keys"), "250") << status;
}

TEST_F(DesktopTest, SkeldNowFromTheTrayMenuSendsTheCounts) {
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    Type("hello world");
    WaitUntilSkeldAllowed();

    const std::string menu = OpenTrayMenu(counters_[0]->Pid(), icon);
    ASSERT_FALSE(menu.empty()) << "no menu";
    EXPECT_EQ(ServerAccount().totalKeys, 0);

    // The default item, "Skeld Now", comes first, at the menu's top.
    const Geometry menuAt = GeometryOf(menu);
    Xdotool(
        {"mousemove", std::to_string(menuAt.X + menuAt.Width / 2), std::to_string(menuAt.Y + 10)});
    Xdotool({"click", "1"});
    EXPECT_TRUE(ServerKeysReach(11));
    const Account account = ServerAccount();
    EXPECT_EQ(account.totalKeys, 11);
    EXPECT_GE(account.totalClicks, 1);  // the right click; the menu's click may follow it
    EXPECT_TRUE(StopCounter());
}

TEST_F(DesktopTest, TheIconTurnsBlueWhileCountsAreBeingSent) {
    SilentServer silent;
    ASSERT_FALSE(silent.Address().empty());
    for (std::string& variable : environment_) {
        if (variable.starts_with("KESTROVIN_SERVER=")) {
            variable = "KESTROVIN_SERVER=" + silent.Address();
        }
    }
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    EXPECT_FALSE(IconLooksBlue(icon));
    Type("abc");
    WaitUntilSkeldAllowed();

    // A double click sends at once; the exchange then waits for a reply that never comes, and
    // the program cannot paint anything until it gives up.
    const Geometry iconAt = GeometryOf(icon);
    Xdotool({"mousemove", std::to_string(iconAt.X + iconAt.Width / 2),
             std::to_string(iconAt.Y + iconAt.Height / 2), "click", "--repeat", "2", "--delay",
             "80", "1"});
    EXPECT_TRUE(PollUntil([&] { return IconLooksBlue(icon); }, 5s));
    EXPECT_TRUE(StopCounter());
}

}  // namespace
