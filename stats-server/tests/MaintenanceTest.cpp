#include <string>

#include "EngineFixture.h"

namespace {

class MaintenanceTest : public EngineServerFixture {
protected:
    std::string ResetPassword(const std::string& userId, const std::string& newPassword) {
        return Reply(
            {{"action", "reset_password"}, {"userid", userId}, {"new_password", newPassword}});
    }
    std::string ComputerList(const std::string& password) {
        return Reply({{"action", "computer_list"}, {"username", "alice"}, {"password", password}});
    }
    // The path of the confirmation link in the last mail.
    std::string ConfirmationPath() {
        const auto mails = outbox_.Mails();
        if (mails.empty()) {
            return "";
        }
        const std::string& body = mails.back().body;
        const std::size_t start = body.find("/confirm-password/");
        const std::size_t end = body.find('\n', start);
        return start == std::string::npos ? "" : body.substr(start, end - start);
    }
};

TEST_P(MaintenanceTest, TokenResetGivesANewTokenAndRetiresTheOldOne) {
    const auto account = Register("alice");
    const std::string reply = Reply({{"action", "reset_token"},
                                     {"userid", account.userId},
                                     {"password", "secret"},
                                     {"computer", "desk"}});
    ASSERT_TRUE(reply.starts_with("100 OK ")) << reply;
    const std::string token = reply.substr(7);
    EXPECT_EQ(token.size(), 32u);

    EXPECT_EQ(Skeld(account.userId, account.token, 1, 1), "200 WT");
    EXPECT_TRUE(Skeld(account.userId, token, 1, 1).starts_with("100 P OK "));
}

TEST_P(MaintenanceTest, TokenResetRefusals) {
    const auto account = Register("alice");
    struct Case {
        std::string userId, password, computer, expected;
    };
    const Case cases[] = {
        {account.userId, "wrong", "desk", "501 BAD PASSWORD"},
        {"77", "secret", "desk", "500 AC UNKNOWN"},
        {account.userId, "secret", "laptop", "500 AC UNKNOWN"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Reply({{"action", "reset_token"},
                         {"userid", c.userId},
                         {"password", c.password},
                         {"computer", c.computer}}),
                  c.expected);
    }
    EXPECT_TRUE(Skeld(account.userId, account.token, 1, 1).starts_with("100 P OK "));
}

TEST_P(MaintenanceTest, TheMailAndItsLinkShowTheNewPasswordWhichIsValidOnlyOnceConfirmed) {
    const auto account = Register("alice", "secret", "desk", "alice@example.org");
    EXPECT_EQ(ResetPassword(account.userId, "q1w2e3<r4t5"), "100 OK");

    const auto mails = outbox_.Mails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].to, "alice@example.org");
    for (const char* shown : {"Account name: alice\n", "New password: q1w2e3<r4t5\n"}) {
        EXPECT_NE(mails[0].body.find(shown), std::string::npos) << mails[0].body;
    }
    const std::string link = ConfirmationPath();
    ASSERT_FALSE(link.empty()) << mails[0].body;
    EXPECT_NE(mails[0].body.find("http://127.0.0.1:" + std::to_string(server_->Port()) + link),
              std::string::npos);

    // Opening the link (as a mail scanner does) shows the details and confirms nothing.
    for (int opened = 0; opened < 2; ++opened) {
        const Posted page = Get(link);
        EXPECT_EQ(page.status, 200);
        for (const char* shown : {"<td>alice</td>", "<code>q1w2e3&lt;r4t5</code>",
                                  "<form method=\"post\" action=\"/confirm-password/"}) {
            EXPECT_NE(page.body.find(shown), std::string::npos) << page.body;
        }
    }
    EXPECT_EQ(ComputerList("q1w2e3<r4t5"), "501 BAD PASSWORD");
    EXPECT_EQ(ComputerList("secret"), "100 OK desk");

    EXPECT_EQ(PostWebForm(link, "").status, 200);
    EXPECT_EQ(ComputerList("q1w2e3<r4t5"), "100 OK desk");
    EXPECT_EQ(ComputerList("secret"), "501 BAD PASSWORD");
    // The link works once.
    EXPECT_EQ(PostWebForm(link, "").status, 404);
    EXPECT_EQ(Get(link).status, 404);
}

TEST_P(MaintenanceTest, PasswordResetLinkExpiresAfterTwoDays) {
    const auto account = Register("alice");
    ASSERT_EQ(ResetPassword(account.userId, "newpass"), "100 OK");
    clock_.Advance(48 * 3600 + 1);
    EXPECT_EQ(Get(ConfirmationPath()).status, 410);
    EXPECT_EQ(PostWebForm(ConfirmationPath(), "").status, 410);
    EXPECT_EQ(ComputerList("secret"), "100 OK desk");
}

// Resets mailed by earlier versions of the server kept their code as it is and no password.
TEST_P(MaintenanceTest, AnEarlierResetLinkStillConfirms) {
    const auto account = Register("alice");
    const std::string code(32, 'a');
    const auto hash = hasher_.Hash("earlier");
    ASSERT_TRUE(hash);
    ASSERT_TRUE(
        database_->StorePasswordReset(std::stoll(account.userId), code, *hash, "", clock_.Now()));
    const Posted page = Get("/confirm-password/" + code);
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("the one the client chose"), std::string::npos) << page.body;
    EXPECT_EQ(PostWebForm("/confirm-password/" + code, "").status, 200);
    EXPECT_EQ(ComputerList("earlier"), "100 OK desk");
}

TEST_P(MaintenanceTest, PasswordResetRefusals) {
    const auto account = Register("alice");
    EXPECT_EQ(ResetPassword("99", "newpass"), "500 AC UNKNOWN");
    EXPECT_TRUE(ResetPassword(account.userId, "").starts_with("200 MSG "));
    EXPECT_TRUE(outbox_.Mails().empty());

    // A second request soon after the first sends no second mail.
    ASSERT_EQ(ResetPassword(account.userId, "first"), "100 OK");
    EXPECT_TRUE(ResetPassword(account.userId, "second").starts_with("200 MSG "));
    EXPECT_EQ(outbox_.Mails().size(), 1u);
    // Later a new request replaces the pending one.
    clock_.Advance(600);
    const std::string firstLink = ConfirmationPath();
    ASSERT_EQ(ResetPassword(account.userId, "third"), "100 OK");
    EXPECT_EQ(PostWebForm(firstLink, "").status, 404);
    EXPECT_EQ(PostWebForm(ConfirmationPath(), "").status, 200);
    EXPECT_EQ(ComputerList("third"), "100 OK desk");
}

TEST_P(MaintenanceTest, KeyboardImageRoundTrip) {
    const auto account = Register("alice");
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<KeyFrequencies>\n\t<Letters>\n"
        "\t\t<LeftShift>1234567</LeftShift>\n\t\t<Num1>1234</Num1>\n\t\t<A>5</A>\n"
        "\t\t<F13>9</F13>\n\t</Letters>\n</KeyFrequencies>";
    const std::string reply = Reply({{"action", "keyboard_image"},
                                     {"userid", account.userId},
                                     {"password", "secret"},
                                     {"computer", "desk"},
                                     {"xml", xml}});
    ASSERT_TRUE(reply.starts_with("100 OK ")) << reply;
    const std::string name = reply.substr(7);
    EXPECT_TRUE(name.ends_with(".svg"));
    EXPECT_EQ(name.find_first_of(" \t/"), std::string::npos);

    const auto image = Client().Get(("/keyboard-images/" + name).c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->status, 200);
    EXPECT_EQ(image->get_header_value("Content-Type"), "image/svg+xml");
    EXPECT_NE(image->body.find("<title>LeftShift: 1,234,567</title>"), std::string::npos);
    EXPECT_NE(image->body.find("<title>Num1: 1,234</title>"), std::string::npos);
    EXPECT_NE(image->body.find("<title>A: 5</title>"), std::string::npos);
    EXPECT_NE(image->body.find("Other keys: F13 9"), std::string::npos);

    EXPECT_EQ(Get("/keyboard-images/0123456789abcdef0123abcd.svg").status, 404);
    EXPECT_EQ(Get("/keyboard-images/..%2Fstats.sqlite").status, 404);
}

TEST_P(MaintenanceTest, KeyboardImageRefusals) {
    const auto account = Register("alice");
    struct Case {
        std::string userId, password, computer, expected;
    };
    const Case cases[] = {
        {account.userId, "wrong", "desk", "501 BAD PASSWORD"},
        {"5", "secret", "desk", "500 AC UNKNOWN"},
        {account.userId, "secret", "laptop", "500 AC UNKNOWN"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Reply({{"action", "keyboard_image"},
                         {"userid", c.userId},
                         {"password", c.password},
                         {"computer", c.computer},
                         {"xml", "<KeyFrequencies/>"}}),
                  c.expected);
    }
}

TEST_P(MaintenanceTest, VersionCheckAnswersTheConfiguredVersionAlone) {
    EXPECT_EQ(Reply({{"action", "check_version"}, {"os", "windows"}}), "1.7.1");
    ServerSettings settings;
    settings.newestVersion = "1.8";
    StartServer(settings);
    EXPECT_EQ(Reply({{"action", "check_version"}, {"os", "linux"}}), "1.8");
}

INSTANTIATE_FOR_EVERY_ENGINE(MaintenanceTest);

}  // namespace
