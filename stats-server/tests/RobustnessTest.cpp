#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "ServerFixture.h"

namespace {

class RobustnessTest : public ServerFixture {
protected:
    void ExpectStillAnswering() {
        EXPECT_EQ(Reply({{"action", "check_version"}, {"os", "windows"}}), "1.7.1");
    }
};

TEST_F(RobustnessTest, BodiesThatAreNotAnEncodedFormGet400AndTheServerCarriesOn) {
    const std::string version = EncodedBody({{"action", "check_version"}, {"os", "windows"}});
    struct Case {
        const char* what;
        std::string body;
    };
    const Case cases[] = {
        {"empty body", ""},
        {"fields in clear", "action=check_version&os=windows&client_version=1.7.1"},
        {"no equals sign", version.substr(0, version.find('='))},
        {"trailing ampersand", version + "&"},
        {"leading ampersand", "&" + version},
        {"percent escapes", "%61ction=skeld"},
        {"a value cut in the middle", version.substr(0, version.size() - 1)},
        {"a field twice", version + "&" + version.substr(version.rfind('&') + 1)},
        {"client_version not last",
         EncodedBody({{"client_version", "1.7.1"}, {"action", "check_version"}, {"os", "windows"}},
                     false)},
        {"no client_version", EncodedBody({{"action", "check_version"}, {"os", "windows"}}, false)},
        {"no action", EncodedBody({{"os", "windows"}})},
        {"unknown action", EncodedBody({{"action", "format_disk"}})},
        {"missing field", EncodedBody({{"action", "check_version"}})},
        {"skeld without its miles", EncodedBody({{"action", "skeld"},
                                                 {"ostype", "1"},
                                                 {"userid", "1"},
                                                 {"password", "p"},
                                                 {"computer", "c"},
                                                 {"token", "t"},
                                                 {"keycount", "1"},
                                                 {"clickcount", "1"}})},
        {"reset_token with a user id that is no number",
         EncodedBody(
             {{"action", "reset_token"}, {"userid", "one"}, {"password", "p"}, {"computer", "c"}})},
        {"binary bytes", std::string("\0\xff\x80=\x01", 5)},
    };
    for (const Case& c : cases) {
        const Posted posted = PostBody(c.body);
        EXPECT_EQ(posted.status, 400) << c.what << ": " << posted.body;
        EXPECT_TRUE(posted.body.starts_with("Bad request: ")) << c.what << ": " << posted.body;
    }
    ExpectStillAnswering();
}

TEST_F(RobustnessTest, OversizedBodyGets413) {
    const std::string huge(StatsServer::kMaxBodyBytes + 1, 'a');
    EXPECT_EQ(PostBody(huge).status, 413);
    ExpectStillAnswering();

    // Just under the limit is read and judged on its content.
    EXPECT_EQ(PostBody(std::string(StatsServer::kMaxBodyBytes, 'a')).status, 400);
}

TEST_F(RobustnessTest, ALongKeyboardImageFitsInOneRequest) {
    const auto account = Register("alice");
    std::string xml = "<KeyFrequencies><Letters>";
    for (int i = 0; i < 2000; ++i) {
        xml += "<Unknown>1</Unknown>";
    }
    xml += "</Letters></KeyFrequencies>";
    const std::string reply = Reply({{"action", "keyboard_image"},
                                     {"userid", account.userId},
                                     {"password", "secret"},
                                     {"computer", "desk"},
                                     {"xml", xml}});
    ASSERT_TRUE(reply.starts_with("100 OK ")) << reply;
    const Posted image = Get("/keyboard-images/" + reply.substr(7));
    EXPECT_NE(image.body.find("Other keys: Unknown 2,000"), std::string::npos);
}

TEST_F(RobustnessTest, OtherMethodsAndAddresses) {
    EXPECT_EQ(Get("/server.php").status, 405);
    EXPECT_EQ(Get("/server.php?action=skeld").status, 405);
    EXPECT_EQ(Get("/nothing-here").status, 404);
    EXPECT_EQ(Get("/stats/users/abc/").status, 404);
    EXPECT_EQ(Get("/stats/users/99/").status, 404);
    EXPECT_EQ(Get("/stats/users/99999999999999999999999/").status, 404);
    EXPECT_EQ(PostWebForm("/wiki/", "a=b").status, 404);
    ExpectStillAnswering();
}

// Dozens of clients that send their request one byte every three seconds, as a slow or hostile
// peer does, while an ordinary skeld comes in: the skeld is answered while they still send.
TEST_F(RobustnessTest, SlowClientsCannotHoldTheServer) {
    const auto account = Register("alice");
    constexpr int kSlowClients = 40;
    std::atomic<bool> done = false;
    std::latch started(kSlowClients);
    std::vector<std::jthread> slowClients;
    for (int i = 0; i < kSlowClients; ++i) {
        slowClients.emplace_back([&] {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address = {};
            address.sin_family = AF_INET;
            address.sin_port = htons(static_cast<std::uint16_t>(server_->Port()));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
            const std::string request = "POST /server.php HTTP/1.1\r\nHost: 127.0.0.1\r\n";
            for (std::size_t sent = 0; sent < request.size() && !done; ++sent) {
                ::send(fd, &request[sent], 1, MSG_NOSIGNAL);
                if (sent == 0) {
                    started.count_down();
                }
                for (int tick = 0; tick < 30 && !done; ++tick) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
            }
            ::close(fd);
        });
    }
    started.wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    // Generous: without the server's time-outs this waits for as long as the slow clients send.
    httplib::Client client = Client();
    client.set_read_timeout(std::chrono::seconds(30));
    const auto reply = client.Post("/server.php",
                                   EncodedBody({{"action", "skeld"},
                                                {"ostype", "1"},
                                                {"userid", account.userId},
                                                {"password", "secret"},
                                                {"computer", "desk"},
                                                {"token", account.token},
                                                {"keycount", "5"},
                                                {"clickcount", "1"},
                                                {"miles", "0.000"}}),
                                   "application/x-www-form-urlencoded");
    done = true;
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->body.starts_with("100 P OK 5\t1\t")) << reply->body;
}

}  // namespace
