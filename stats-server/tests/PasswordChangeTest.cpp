#include <string>

#include "EngineFixture.h"

namespace {

class PasswordChangeTest : public EngineServerFixture {
protected:
    Posted Change(const std::string& account, const std::string& oldPassword,
                  const std::string& newPassword, const std::string& again) {
        // As a browser sends the form.
        const auto result = Client().Post("/password/", httplib::Params{
                                                            {"username", account},
                                                            {"old_password", oldPassword},
                                                            {"new_password", newPassword},
                                                            {"new_password_again", again},
                                                        });
        return result ? Posted{result->status, result->body} : Posted{};
    }
    std::string ComputerList(const std::string& password) {
        return Reply({{"action", "computer_list"}, {"username", "alice"}, {"password", password}});
    }
};

TEST_P(PasswordChangeTest, TheFormChangesThePasswordForTheNextSkeld) {
    const auto account = Register("alice");
    const Posted form = Get("/password/");
    EXPECT_EQ(form.status, 200);
    for (const char* field : {"name=\"username\"", "name=\"old_password\"", "name=\"new_password\"",
                              "name=\"new_password_again\""}) {
        EXPECT_NE(form.body.find(field), std::string::npos) << field;
    }
    EXPECT_EQ(Get("/password").status, 301);

    // The client remembered the old password: the cache must not let it pass afterwards.
    EXPECT_EQ(ComputerList("secret"), "100 OK desk");
    const Posted changed = Change("ALICE", "secret", "n3w pass", "n3w pass");
    EXPECT_EQ(changed.status, 200) << changed.body;
    EXPECT_NE(changed.body.find("<strong>alice</strong>"), std::string::npos);
    EXPECT_EQ(ComputerList("secret"), "501 BAD PASSWORD");
    EXPECT_TRUE(Skeld(account.userId, account.token, 3, 1, "0.000", "n3w pass")
                    .starts_with("100 P OK 3\t1\t"));
}

TEST_P(PasswordChangeTest, RefusalsLeaveThePasswordAsItWas) {
    Register("alice");
    const struct {
        std::string account, oldPassword, newPassword, again;
        int status;
        std::string says;
    } cases[] = {
        {"alice", "wrong", "next", "next", 403, "wrong password"},
        {"nobody", "secret", "next", "next", 403, "Unknown account"},
        {"alice", "secret", "next", "nxet", 400, "differ"},
        {"alice", "secret", "", "", 400, "1 to 256 characters"},
        {"alice", "secret", std::string(257, 'x'), "", 400, "1 to 256 characters"},
    };
    for (const auto& c : cases) {
        const Posted refused = Change(c.account, c.oldPassword, c.newPassword, c.again);
        EXPECT_EQ(refused.status, c.status) << c.says;
        EXPECT_NE(refused.body.find(c.says), std::string::npos) << refused.body;
    }
    EXPECT_EQ(ComputerList("secret"), "100 OK desk");
}

TEST_P(PasswordChangeTest, AChangeDropsAPendingResetAndCountsFailedLogins) {
    const auto account = Register("alice");
    ASSERT_EQ(
        Reply(
            {{"action", "reset_password"}, {"userid", account.userId}, {"new_password", "random"}}),
        "100 OK");
    const std::string mail = outbox_.Mails().back().body;
    const std::size_t start = mail.find("/confirm-password/");
    const std::string link = mail.substr(start, mail.find('\n', start) - start);
    ASSERT_EQ(Change("alice", "secret", "mine", "").status, 200);
    EXPECT_EQ(PostWebForm(link, "").status, 404);
    EXPECT_EQ(ComputerList("mine"), "100 OK desk");

    // Guesses on this page use up the address's failed logins like any other login.
    ServerSettings settings;
    settings.logins.failuresPerAddress = 2;
    settings.logins.cacheLifetime = std::chrono::seconds(0);
    StartServer(settings);
    EXPECT_EQ(Change("alice", "guess1", "x", "x").status, 403);
    EXPECT_EQ(Change("alice", "guess2", "x", "x").status, 403);
    EXPECT_EQ(Change("alice", "mine", "x", "x").status, 403);
    EXPECT_EQ(ComputerList("x"), "501 BAD PASSWORD");
}

INSTANTIATE_FOR_EVERY_ENGINE(PasswordChangeTest);

}  // namespace
