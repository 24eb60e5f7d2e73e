#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>
#include <string>
#include <thread>

#include "OutboxFolder.h"
#include "ServerFixture.h"
#include "SmtpMailOutbox.h"

namespace {

// A mail server on a free loopback port that speaks just enough SMTP to take one message and
// records what it was given.
class OneMessageSmtpServer {
public:
    struct Received {
        std::string from, to, data;
    };

    OneMessageSmtpServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        std::promise<Received> promise;
        received_ = promise.get_future();
        thread_ = std::jthread(
            [this, promise = std::move(promise)]() mutable { promise.set_value(Serve()); });
    }
    ~OneMessageSmtpServer() {
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }

    std::string Url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }
    // What the one message was, once it was taken (or the connection ended).
    Received Wait() { return received_.get(); }

private:
    Received Serve() {
        Received received;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            return received;
        }
        std::string buffer;
        const auto say = [&](const std::string& line) {
            ::send(connection, line.data(), line.size(), MSG_NOSIGNAL);
        };
        const auto readLine = [&](std::string& line) {
            char chunk[512];
            while (buffer.find("\r\n") == std::string::npos) {
                const ssize_t count = ::recv(connection, chunk, sizeof chunk, 0);
                if (count <= 0) {
                    return false;
                }
                buffer.append(chunk, static_cast<std::size_t>(count));
            }
            line = buffer.substr(0, buffer.find("\r\n"));
            buffer.erase(0, line.size() + 2);
            return true;
        };
        say("220 test ESMTP\r\n");
        for (std::string line; readLine(line);) {
            if (line.starts_with("EHLO") || line.starts_with("HELO")) {
                say("250 test\r\n");
            } else if (line.starts_with("MAIL FROM:")) {
                received.from = line.substr(10);
                say("250 OK\r\n");
            } else if (line.starts_with("RCPT TO:")) {
                received.to = line.substr(8);
                say("250 OK\r\n");
            } else if (line == "DATA") {
                say("354 go on\r\n");
                while (readLine(line) && line != ".") {
                    received.data += line + "\n";
                }
                say("250 OK queued\r\n");
            } else if (line == "QUIT") {
                say("221 bye\r\n");
                break;
            } else {
                say("502 not here\r\n");
            }
        }
        ::close(connection);
        return received;
    }

    int listener_ = -1;
    int port_ = 0;
    std::future<Received> received_;
    std::jthread thread_;
};

class MailTest : public ServerFixture {
protected:
    std::string AskForNewPassword(const std::string& userId, const std::string& password) {
        return Reply(
            {{"action", "reset_password"}, {"userid", userId}, {"new_password", password}});
    }
    static std::string LinkPath(const std::string& text) {
        const std::size_t start = text.find("/confirm-password/");
        return start == std::string::npos
                   ? ""
                   : text.substr(start, text.find_first_of("\r\n", start) - start);
    }

    TempFolder mailFolder_;
};

TEST_F(MailTest, APasswordResetIsMailedThroughTheMailServerAndItsLinkWorks) {
    OneMessageSmtpServer mailServer;
    OutboxFolder outbox(mailFolder_ / "outbox");
    SmtpMailOutbox smtp({mailServer.Url(), "stats@example.org", "", ""}, outbox);
    StartServer(ServerSettings{}, &smtp);
    const auto account = Register("alice", "secret", "desk", "alice@example.org");

    EXPECT_EQ(AskForNewPassword(account.userId, "fresh"), "100 OK");
    const auto received = mailServer.Wait();
    EXPECT_EQ(received.from, "<stats@example.org>");
    EXPECT_EQ(received.to, "<alice@example.org>");
    EXPECT_NE(received.data.find("To: alice@example.org\n"), std::string::npos) << received.data;
    EXPECT_NE(received.data.find("Subject: Confirm your new Kestrovin password\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(outbox.Folder()));

    const std::string link = LinkPath(received.data);
    ASSERT_FALSE(link.empty()) << received.data;
    EXPECT_EQ(PostWebForm(link, "").status, 200);
    EXPECT_TRUE(
        Skeld(account.userId, account.token, 1, 1, "0.000", "fresh").starts_with("100 P OK"));
}

TEST_F(MailTest, AMessageTheMailServerDoesNotTakeIsKeptInTheOutbox) {
    OutboxFolder outbox(mailFolder_ / "outbox");
    int closedPort = 0;
    {
        OneMessageSmtpServer gone;  // a port nothing listens on once it is gone
        closedPort = std::stoi(gone.Url().substr(gone.Url().rfind(':') + 1));
    }
    SmtpMailOutbox smtp(
        {"smtp://127.0.0.1:" + std::to_string(closedPort), "stats@example.org", "", ""}, outbox);
    StartServer(ServerSettings{}, &smtp);
    const auto account = Register("alice", "secret", "desk", "alice@example.org");
    EXPECT_EQ(AskForNewPassword(account.userId, "fresh"), "100 OK");
    const auto kept = outbox.List();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].to, "alice@example.org");
}

// Without a mail server every message is a file of its own, the owner's only, and the
// /outbox/ page lists and shows them to browsers on the server's machine.
TEST_F(MailTest, WithoutAMailServerMessagesAreKeptInTheOutboxFolderAndPage) {
    OutboxFolder outbox(mailFolder_ / "stats-outbox");
    StartServer(ServerSettings{}, &outbox, &outbox);
    EXPECT_NE(Get("/outbox/").body.find("No messages."), std::string::npos);
    const auto alice = Register("alice", "secret", "desk", "alice@example.org");
    const auto bob = Register("bob", "secret", "desk", "bob@example.org");
    EXPECT_EQ(AskForNewPassword(alice.userId, "fresh"), "100 OK");
    EXPECT_EQ(AskForNewPassword(bob.userId, "new<b>"), "100 OK");

    const auto kept = outbox.List();
    ASSERT_EQ(kept.size(), 2u);
    struct stat info = {};
    ASSERT_EQ(::stat(outbox.Folder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    for (const auto& message : kept) {
        ASSERT_EQ(::stat((outbox.Folder() / message.name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u) << message.name;
    }

    const Posted page = Get("/outbox/");
    EXPECT_EQ(page.status, 200);
    for (const char* to : {"alice@example.org", "bob@example.org"}) {
        EXPECT_NE(page.body.find(to), std::string::npos) << page.body;
    }
    for (const auto& message : kept) {
        EXPECT_NE(page.body.find("href=\"/outbox/" + message.name + "\""), std::string::npos);
        const Posted shown = Get("/outbox/" + message.name);
        EXPECT_EQ(shown.status, 200);
        EXPECT_NE(shown.body.find("Subject: Confirm your new Kestrovin password"),
                  std::string::npos);
        if (message.to == "alice@example.org") {
            EXPECT_EQ(PostWebForm(LinkPath(shown.body), "").status, 200);
        }
    }
    EXPECT_TRUE(Skeld(alice.userId, alice.token, 1, 1, "0.000", "fresh").starts_with("100 P OK"));
    for (const char* path : {"/outbox/missing.eml", "/outbox/..", "/outbox/stats.sqlite"}) {
        EXPECT_EQ(Get(path).status, 404) << path;
    }
    // The help page does not promise mail this server does not send.
    const std::string help = Get("/wiki/").body;
    EXPECT_EQ(help.find("mails"), std::string::npos);
    EXPECT_NE(help.find("sends no mail"), std::string::npos);
}

TEST(OutboxAccessTest, OnlyLoopbackPeersSeeTheOutbox) {
    const struct {
        const char* address;
        bool loopback;
    } cases[] = {
        {"127.0.0.1", true},        {"127.1.2.3", true},     {"::1", true},
        {"::ffff:127.0.0.1", true}, {"192.168.1.20", false}, {"10.0.0.1", false},
        {"::ffff:10.0.0.1", false}, {"2001:db8::1", false},  {"", false},
        {"128.0.0.1", false},       {"localhost", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatsServer::IsLoopbackPeer(c.address), c.loopback) << c.address;
    }
}

}  // namespace
