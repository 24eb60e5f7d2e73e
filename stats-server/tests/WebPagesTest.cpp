#include <string>

#include "ServerFixture.h"

namespace {

class WebPagesTest : public ServerFixture {};

TEST_F(WebPagesTest, StatisticsPageShowsTheSummedTotalsAndTheRank) {
    const auto other = Register("other");
    Skeld(other.userId, other.token, 5000, 0);
    const auto account = Register("alice");
    auto fields =
        PayloadFields(Skeld(account.userId, account.token, 1200, 30, "0.500"), "100 P OK");
    ASSERT_EQ(fields.size(), 5u);
    Skeld(account.userId, fields[4], 34, 5, "0.250");

    const Posted page = Get("/stats/users/" + account.userId + "/");
    ASSERT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("Statistics of alice"), std::string::npos);
    EXPECT_NE(page.body.find("<td class=\"number\">1,234</td>"), std::string::npos);
    EXPECT_NE(page.body.find("<td class=\"number\">35</td>"), std::string::npos);
    EXPECT_NE(page.body.find("0.750 miles"), std::string::npos);
    EXPECT_NE(page.body.find("2 of 2"), std::string::npos);
    EXPECT_NE(page.body.find("<li>desk</li>"), std::string::npos);

    // Without the closing slash the browser is sent to the page.
    const auto redirect = Client().Get(("/stats/users/" + account.userId).c_str());
    ASSERT_TRUE(redirect);
    EXPECT_EQ(redirect->status, 301);
    EXPECT_EQ(redirect->get_header_value("Location"), "/stats/users/" + account.userId + "/");
}

TEST_F(WebPagesTest, WhatUsersTypedIsEscaped) {
    const auto account = Register("<script>x</script>", "secret", "a&b");
    const Posted page = Get("/stats/users/" + account.userId + "/");
    EXPECT_EQ(page.body.find("<script>"), std::string::npos);
    EXPECT_NE(page.body.find("&lt;script&gt;x&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.body.find("<li>a&amp;b</li>"), std::string::npos);

    const Posted banner = Get("/dynimg/" + account.userId + ".svg");
    EXPECT_EQ(banner.status, 200);
    EXPECT_EQ(banner.body.find("<script>"), std::string::npos);
}

TEST_F(WebPagesTest, ThePagesTheClientOpensExist) {
    for (const char* path : {"/", "/downloads/", "/wiki/", "/dynimg/", "/rgb/", "/forum/",
                             "/computers/", "/password/"}) {
        const auto page = Client().Get(path);
        ASSERT_TRUE(page) << path;
        EXPECT_EQ(page->status, 200) << path;
        EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8") << path;
        EXPECT_TRUE(page->body.starts_with("<!DOCTYPE html>")) << path;
    }
    EXPECT_NE(Get("/downloads/").body.find("1.7.1"), std::string::npos);
    EXPECT_NE(Get("/rgb/").body.find("rgb(0,153,204)"), std::string::npos);
    EXPECT_EQ(Get("/downloads").status, 301);
}

TEST_F(WebPagesTest, AddingAComputerChecksThePasswordAndTheName) {
    Register("alice");
    struct Case {
        std::string form;
        int status;
    };
    const Case cases[] = {
        {"account=alice&password=wrong&computer=laptop", 403},
        {"account=nobody&password=secret&computer=laptop", 403},
        {"account=alice&password=secret&computer=", 400},
        {"account=alice&password=secret&computer=desk", 409},
        {"account=alice&password=secret&computer=my%20laptop", 200},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PostWebForm("/computers/", c.form).status, c.status) << c.form;
    }
    EXPECT_EQ(Reply({{"action", "computer_list"}, {"username", "alice"}, {"password", "secret"}}),
              "100 OK desk\tmy laptop");
}

}  // namespace
