#include <string>

#include "EngineFixture.h"

namespace {

class AccountActionsTest : public EngineServerFixture {};

TEST_P(AccountActionsTest, RegistrationAnswersUserIdAndTokenSeparatedByOneSpace) {
    const std::string first = Reply({{"action", "register_account"},
                                     {"username", "alice"},
                                     {"password", "pass word"},
                                     {"computer", "desk"},
                                     {"email", "alice@example.org"}});
    ASSERT_TRUE(first.starts_with("100 OK ")) << first;
    const std::string payload = first.substr(7);
    const std::size_t space = payload.find(' ');
    ASSERT_NE(space, std::string::npos);
    EXPECT_EQ(payload.substr(0, space), "1");
    EXPECT_EQ(payload.find_first_of(" \t", space + 1), std::string::npos);  // exactly two fields
    EXPECT_EQ(payload.size() - space - 1, 32u);

    EXPECT_EQ(Register("bob").userId, "2");
}

TEST_P(AccountActionsTest, ANameThatIsTakenInAnyCaseIsRefused) {
    Register("Alice");
    EXPECT_EQ(Reply({{"action", "register_account"},
                     {"username", "aLICE"},
                     {"password", "other"},
                     {"computer", "laptop"},
                     {"email", "other@example.org"}}),
              "502 AC REGISTERED");
    // The refused registration left the first account as it was.
    EXPECT_EQ(Reply({{"action", "computer_list"}, {"username", "alice"}, {"password", "secret"}}),
              "100 OK desk");
}

TEST_P(AccountActionsTest, RegistrationWithUnusableDataIsAnsweredWithAMessage) {
    struct Case {
        std::string name, password, computer, email;
    };
    const Case cases[] = {
        {"", "secret", "desk", "a@example.org"},
        {std::string(65, 'n'), "secret", "desk", "a@example.org"},
        {"tab\tname", "secret", "desk", "a@example.org"},
        {" padded", "secret", "desk", "a@example.org"},
        {"name", "", "desk", "a@example.org"},
        {"name", "secret", "", "a@example.org"},
        {"name", "secret", "two\tparts", "a@example.org"},
        {"name", "secret", "desk", ""},
        {"name", "secret", "desk", "no-at-sign"},
        {"name", "secret", "desk", "@example.org"},
        {"name", "secret", "desk", "a@"},
        {"name", "secret", "desk", "a b@example.org"},
    };
    for (const Case& c : cases) {
        const std::string reply = Reply({{"action", "register_account"},
                                         {"username", c.name},
                                         {"password", c.password},
                                         {"computer", c.computer},
                                         {"email", c.email}});
        EXPECT_TRUE(reply.starts_with("200 MSG "))
            << c.name << "|" << c.computer << "|" << c.email << ": " << reply;
    }
    // Nothing was created: the first good registration still gets user id 1.
    EXPECT_EQ(Register("name").userId, "1");
}

TEST_P(AccountActionsTest, ComputerListAnswersTheNamesInTheOrderTheyWereAdded) {
    Register("alice", "secret", "north");
    for (const char* computer : {"south", "west"}) {
        ASSERT_EQ(PostWebForm("/computers/",
                              std::string("account=alice&password=secret&computer=") + computer)
                      .status,
                  200);
    }
    struct Case {
        std::string name, password, expected;
    };
    const Case cases[] = {
        {"alice", "secret", "100 OK north\tsouth\twest"},
        {"ALICE", "secret", "100 OK north\tsouth\twest"},
        {"alice", "Secret", "501 BAD PASSWORD"},
        {"alice", "", "501 BAD PASSWORD"},
        {"nobody", "secret", "500 AC UNKNOWN"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            Reply({{"action", "computer_list"}, {"username", c.name}, {"password", c.password}}),
            c.expected)
            << c.name << "/" << c.password;
    }
}

TEST_P(AccountActionsTest, AccountInfoAnswersSevenFieldsWithTheComputersToken) {
    const auto account = Register("alice", "secret", "desk", "alice@example.org");
    const auto skeld =
        PayloadFields(Skeld(account.userId, account.token, 42, 7, "2.500"), "100 P OK");
    ASSERT_EQ(skeld.size(), 5u);

    const auto info = PayloadFields(Reply({{"action", "accountinfo"},
                                           {"username", "alice"},
                                           {"password", "secret"},
                                           {"computer", "desk"}}),
                                    "100 AC OK");
    const std::vector<std::string> expected = {"alice@example.org", "42", "7",     "2.500",
                                               account.userId,      "1",  skeld[4]};
    EXPECT_EQ(info, expected);
}

TEST_P(AccountActionsTest, AccountInfoRefusals) {
    Register("alice");
    struct Case {
        std::string name, password, computer, expected;
    };
    const Case cases[] = {
        {"alice", "wrong", "desk", "501 BAD PASSWORD"},
        {"alice", "wrong", "nowhere", "501 BAD PASSWORD"},
        {"alice", "secret", "nowhere", "500 AC UNKNOWN"},
        {"alice", "secret", "DESK", "500 AC UNKNOWN"},
        {"nobody", "secret", "desk", "500 AC UNKNOWN"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Reply({{"action", "accountinfo"},
                         {"username", c.name},
                         {"password", c.password},
                         {"computer", c.computer}}),
                  c.expected)
            << c.name << "/" << c.password << "/" << c.computer;
    }
}

INSTANTIATE_FOR_EVERY_ENGINE(AccountActionsTest);

}  // namespace
