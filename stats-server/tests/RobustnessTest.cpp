#include <string>

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

}  // namespace
