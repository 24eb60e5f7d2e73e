#include "server/WebGrab.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "counting/Preferences.h"
#include "counting/QuickCrypt.h"
#include "support/RecordingHttpServer.h"
#include "support/RecordingUser.h"
#include "support/RefusingPort.h"
#include "support/ScopedEnvironment.h"

namespace {

using Field = std::pair<std::string, std::string>;
using Fields = std::vector<Field>;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string Decoded(const std::string& encoded) {
    std::string plain;
    CQuickCrypt::DecodeInto(encoded, plain);
    return plain;
}

// The form as the server reads it back: "&" between fields, "=" between name and value.
Fields DecodedForm(const std::string& body) {
    Fields fields;
    for (const std::string& field : Split(body, '&')) {
        const auto equals = field.find('=');
        fields.emplace_back(Decoded(field.substr(0, equals)), Decoded(field.substr(equals + 1)));
    }
    return fields;
}

void Reply(httplib::Response& response, const std::string& body, int status = 200) {
    response.status = status;
    response.set_content(body, "text/plain");
}

RecordingHttpServer::Handler Answer(std::string body, int status = 200) {
    return [body = std::move(body), status](const httplib::Request&, httplib::Response& response) {
        Reply(response, body, status);
    };
}

class WebGrabTest : public testing::Test {
protected:
    WebGrabTest() {
        // Proxies configured on the machine running the tests must not reroute them.
        for (const char* name :
             {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
            environment.Unset(name);
        }
    }

    CWebGrab GrabFor(int port) {
        return CWebGrab(user, preferences,
                        ServerAddress({"127.0.0.1", static_cast<uint16_t>(port)}));
    }

    ScopedEnvironment environment;
    RecordingUser user;
    Preferences preferences;
};

TEST_F(WebGrabTest, PostsTheEncodedFieldsInOrderWithClientVersionLast) {
    RecordingHttpServer server(Answer("100 P OK\r\n12345\r\n"));
    CWebGrab grab = GrabFor(server.Port());

    grab.ClearForm();
    grab.AddFormField("action", "skeld");
    grab.AddFormField("user", "Ann & Bob = \"friends\"\xe9");
    grab.AddFormField("empty", "");
    grab.AddFormField("", "nameless");
    EXPECT_EQ(grab.PostForm(), "100 P OK\r\n12345\r\n");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Target, "/server.php");
    const std::string& body = requests[0].Body;
    EXPECT_EQ(DecodedForm(body), (Fields{{"action", "skeld"},
                                         {"user", "Ann & Bob = \"friends\"\xe9"},
                                         {"empty", ""},
                                         {"", "nameless"},
                                         {"client_version", "1.7.1"}}));
    // Nothing in clear and nothing escaped: letters and digits between the separators.
    EXPECT_EQ(
        body.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789=&"),
        std::string::npos);
    const auto fields = Split(body, '&');
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0].size(), 3 * 6 + 1 + 3 * 5u);
    EXPECT_EQ(fields[2].size(), 3 * 5 + 1u) << "empty value: the encoded name and '='";
    EXPECT_EQ(fields[3].front(), '=') << "empty name";
    // The first two characters of each triple are fixed by the byte and its position.
    EXPECT_EQ(fields[0].substr(0, 2), "lg");
    // The form stays as it was posted.
    EXPECT_EQ(grab.FormBody(), body);
}

TEST_F(WebGrabTest, AnEmptyFormSendsOnlyTheClientVersion) {
    RecordingHttpServer server(Answer("ok"));
    CWebGrab grab = GrabFor(server.Port());

    grab.ClearForm();
    EXPECT_EQ(grab.PostForm(), "ok");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(DecodedForm(requests[0].Body), (Fields{{"client_version", "1.7.1"}}));
}

TEST_F(WebGrabTest, SendsExactlyTheProtocolHeadersAndTheWholeBodyAtOnce) {
    RecordingHttpServer server(Answer("ok"));
    CWebGrab grab = GrabFor(server.Port());

    // Large enough (over a megabyte encoded) that an HTTP client would ask for
    // "100 Continue" before sending it.
    grab.AddFormField("keyboard_image", std::string(400'000, 'x'));
    EXPECT_EQ(grab.PostForm(), "ok");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& request = requests[0];
    EXPECT_EQ(request.Header("Accept"), "text/*");
    EXPECT_EQ(request.Header("User-Agent"), "Kestrovin for Windows 1.7.1");
    EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.Header("Content-Length"), std::to_string(request.Body.size()));
    EXPECT_EQ(request.Headers.count("Accept"), 1u);
    EXPECT_EQ(request.Headers.count("User-Agent"), 1u);
    EXPECT_FALSE(request.HasHeader("Expect"));
    EXPECT_EQ(request.Body, grab.FormBody());
    EXPECT_EQ(request.Body.size(), 3 * 14 + 1 + 3 * 400'000 + 1 + 3 * 14 + 1 + 3 * 5u);
}

TEST_F(WebGrabTest, ReturnsTheReplyBodyOfAnOkStatusUnchanged) {
    std::string longReply;
    for (int line = 0; longReply.size() < 5000; ++line) {
        longReply += "line " + std::to_string(line) + "\r\n";
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {longReply, longReply},
        {"", ""},
        {"  200 WT \r\n\r\n", "  200 WT \r\n\r\n"},
        {std::string("abc\0def", 7), "abc"},
    };
    for (const auto& [sent, expected] : cases) {
        SCOPED_TRACE(sent.substr(0, 20));
        RecordingHttpServer server(Answer(sent));
        EXPECT_EQ(GrabFor(server.Port()).PostForm(), expected);
    }
    EXPECT_TRUE(user.balloons.empty());
}

TEST_F(WebGrabTest, AReplyLongerThanOneMebibyteIsAnError) {
    const std::string longest(CWebGrab::kMaxReplyBytes, 'x');
    RecordingHttpServer server(Answer(longest));
    EXPECT_EQ(GrabFor(server.Port()).PostForm(), longest);
    EXPECT_TRUE(user.balloons.empty());

    RecordingHttpServer tooLong(Answer(longest + "x"));
    EXPECT_EQ(GrabFor(tooLong.Port()).PostForm(), "error");
    ASSERT_EQ(user.balloons.size(), 1u);
    EXPECT_EQ(user.balloons[0].Title, "Connection Error");
    EXPECT_EQ(user.balloons[0].Text,
              "The server's reply is longer than 1048576 bytes; the rest was not read");
}

TEST_F(WebGrabTest, ReadsABodyThatArrivesInManyPieces) {
    RecordingHttpServer server([](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "text/plain", [piece = 0](std::size_t, httplib::DataSink& sink) mutable {
                if (piece == 3) {
                    sink.done();
                    return true;
                }
                const std::string text = std::string(700, static_cast<char>('a' + piece));
                sink.write(text.data(), text.size());
                ++piece;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                return true;
            });
    });
    EXPECT_EQ(GrabFor(server.Port()).PostForm(),
              std::string(700, 'a') + std::string(700, 'b') + std::string(700, 'c'));
}

TEST_F(WebGrabTest, AnyOtherStatusIsAnErrorWithoutBalloon) {
    for (int status : {404, 500, 302, 301, 204}) {
        SCOPED_TRACE(status);
        RecordingHttpServer server(
            [status](const httplib::Request& request, httplib::Response& response) {
                if (request.path == "/elsewhere") {
                    Reply(response, "followed");
                } else {
                    response.set_header("Location", "/elsewhere");
                    Reply(response, "not here", status);
                }
            });
        EXPECT_EQ(GrabFor(server.Port()).PostForm(), "error");
        EXPECT_EQ(server.Requests().size(), 1u) << "a redirection is never followed";
    }
    EXPECT_TRUE(user.balloons.empty());
}

TEST_F(WebGrabTest, AFailedExchangeShowsTheConnectionErrorBalloonUnlessPopupsAreOff) {
    RefusingPort refusing;
    RecordingHttpServer server(Answer("ok"));
    struct Case {
        const char* name;
        int serverPort;
        int proxyPort;  // 0: no proxy
    };
    for (const Case& c : {Case{"server refuses", refusing.Port(), 0},
                          Case{"proxy refuses", server.Port(), refusing.Port()}}) {
        for (int showNoPopups : {0, 1}) {
            SCOPED_TRACE(std::string(c.name) + (showNoPopups ? ", no popups" : ""));
            user.balloons.clear();
            preferences.ShowNoPopups = showNoPopups;
            CWebGrab grab = GrabFor(c.serverPort);
            if (c.proxyPort != 0) {
                grab.SetProxy("127.0.0.1", c.proxyPort, 0, "", "");
            }

            EXPECT_EQ(grab.PostForm(), "error");

            if (showNoPopups) {
                EXPECT_TRUE(user.balloons.empty());
            } else {
                ASSERT_EQ(user.balloons.size(), 1u);
                EXPECT_EQ(user.balloons[0].Title, "Connection Error");
                EXPECT_FALSE(user.balloons[0].Text.empty());
                EXPECT_LE(user.balloons[0].Text.size(), 259u);
            }
        }
    }
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(WebGrabTest, AServerThatStopsSendingTimesOut) {
    for (bool headersFirst : {false, true}) {
        SCOPED_TRACE(headersFirst ? "after the headers" : "before the headers");
        user.balloons.clear();
        RecordingHttpServer* self = nullptr;
        RecordingHttpServer server(
            [&self, headersFirst](const httplib::Request&, httplib::Response& response) {
                if (!headersFirst) {
                    self->WaitForShutdown();
                    return;
                }
                response.set_chunked_content_provider(
                    "text/plain", [&self](std::size_t, httplib::DataSink& sink) {
                        sink.write("100 ", 4);
                        self->WaitForShutdown();
                        return false;
                    });
            });
        self = &server;
        CWebGrab grab = GrabFor(server.Port());
        grab.SetReceiveTimeout(300);

        EXPECT_EQ(grab.PostForm(), "error");

        ASSERT_EQ(user.balloons.size(), 1u);
        EXPECT_EQ(user.balloons[0].Title, "Connection Error");
        EXPECT_NE(user.balloons[0].Text.find("no data received"), std::string::npos)
            << user.balloons[0].Text;
    }
}

TEST_F(WebGrabTest, TheReceiveTimeoutCountsOnlyTimeWithoutData) {
    // Two seconds in all, but never more than 50 ms without data.
    RecordingHttpServer server([](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "text/plain", [piece = 0](std::size_t, httplib::DataSink& sink) mutable {
                if (piece++ == 40) {
                    sink.done();
                    return true;
                }
                sink.write(".", 1);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                return true;
            });
    });
    CWebGrab grab = GrabFor(server.Port());
    grab.SetReceiveTimeout(1000);

    EXPECT_EQ(grab.PostForm(), std::string(40, '.'));
    EXPECT_TRUE(user.balloons.empty());
}

// A proxy that wants Basic credentials when `demandCredentials` is set, and otherwise answers
// every request itself.
RecordingHttpServer::Handler Proxy(bool demandCredentials) {
    return [demandCredentials](const httplib::Request& request, httplib::Response& response) {
        if (demandCredentials && !request.has_header("Proxy-Authorization")) {
            response.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
            Reply(response, "who are you?", 407);
            return;
        }
        Reply(response, "via proxy");
    };
}

TEST_F(WebGrabTest, AProxyWithAuthenticationGetsTheCredentialsOnEveryExchange) {
    RecordingHttpServer proxy(Proxy(true));
    CWebGrab grab(user, preferences, ServerAddress({"stats.example", 80}));
    grab.SetProxy("127.0.0.1", proxy.Port(), 1, "alice", "s3cret");
    EXPECT_TRUE(grab.UsesProxy());

    grab.AddFormField("action", "skeld");
    EXPECT_EQ(grab.PostForm(), "via proxy");
    EXPECT_TRUE(grab.ProxyCredentialsGiven());
    // A second request on the same object, as after a "200 WT" reply.
    grab.ClearForm();
    grab.AddFormField("action", "reset_token");
    EXPECT_EQ(grab.PostForm(), "via proxy");

    std::vector<RecordedRequest> authorised;
    for (const RecordedRequest& request : proxy.Requests()) {
        EXPECT_EQ(request.Target, "http://stats.example/server.php");
        if (request.HasHeader("Proxy-Authorization")) {
            authorised.push_back(request);
        }
    }
    ASSERT_EQ(authorised.size(), 2u);
    for (const RecordedRequest& request : authorised) {
        EXPECT_EQ(request.Header("Proxy-Authorization"), "Basic YWxpY2U6czNjcmV0");
    }
    EXPECT_EQ(DecodedForm(authorised[0].Body)[0], Field("action", "skeld"));
    EXPECT_EQ(DecodedForm(authorised[1].Body)[0], Field("action", "reset_token"));
    EXPECT_TRUE(user.balloons.empty());
}

TEST_F(WebGrabTest, AProxyWithoutAuthenticationGetsNoCredentialsAndTakesEveryHost) {
    RecordingHttpServer proxy(Proxy(false));
    environment.Set("no_proxy", "*");
    CWebGrab grab(user, preferences, ServerAddress({"stats.example", 8080}));
    grab.SetProxy("127.0.0.1", proxy.Port(), 0, "alice", "s3cret");

    EXPECT_EQ(grab.PostForm(), "via proxy");

    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Target, "http://stats.example:8080/server.php");
    EXPECT_FALSE(requests[0].HasHeader("Proxy-Authorization"));
    EXPECT_FALSE(grab.ProxyCredentialsGiven());
}

TEST_F(WebGrabTest, WithoutAConfiguredProxyTheEnvironmentsProxyIsUsed) {
    RecordingHttpServer proxy(Proxy(false));
    environment.Set("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.Port()));
    CWebGrab grab(user, preferences, ServerAddress({"stats.example", 80}));

    EXPECT_EQ(grab.PostForm(), "via proxy");

    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Target, "http://stats.example/server.php");
    EXPECT_FALSE(grab.UsesProxy());
}

}  // namespace
