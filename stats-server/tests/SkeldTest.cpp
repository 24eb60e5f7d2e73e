#include <string>
#include <thread>
#include <vector>

#include "EngineFixture.h"

namespace {

class SkeldTest : public EngineServerFixture {};

TEST_P(SkeldTest, AcceptedSkeldAnswersTotalsRankMilesAndANewToken) {
    const auto account = Register("alice");
    const std::string reply = Skeld(account.userId, account.token, 1234, 56, "1.500");

    const auto fields = PayloadFields(reply, "100 P OK");
    ASSERT_EQ(fields.size(), 5u) << reply;
    EXPECT_EQ(fields[0], "1234");
    EXPECT_EQ(fields[1], "56");
    EXPECT_EQ(fields[2], "1");
    EXPECT_EQ(fields[3], "1.500");
    EXPECT_EQ(fields[4].size(), 32u);
    EXPECT_NE(fields[4], account.token);
}

TEST_P(SkeldTest, TotalsAddUpAcrossSkeldsAndEachTokenIsGoodOnce) {
    const auto account = Register("alice");
    auto fields = PayloadFields(Skeld(account.userId, account.token, 100, 10, "0.250"), "100 P OK");
    ASSERT_EQ(fields.size(), 5u);
    fields = PayloadFields(Skeld(account.userId, fields[4], 23, 4, "1.125"), "100 P OK");
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0], "123");
    EXPECT_EQ(fields[1], "14");
    EXPECT_EQ(fields[3], "1.375");

    // The first token was replaced by the first skeld: showing it again is refused and
    // changes nothing.
    EXPECT_EQ(Skeld(account.userId, account.token, 1000, 1000), "200 WT");
    fields = PayloadFields(Skeld(account.userId, fields[4], 0, 1), "100 P OK");
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0], "123");
    EXPECT_EQ(fields[1], "15");
}

TEST_P(SkeldTest, RefusedSkeldsGiveTheirStatusAndCountNothing) {
    const auto alice = Register("alice");
    const auto bob = Register("bob");
    struct Case {
        const char* what;
        std::string userId, password, computer, token;
        std::string expected;
    };
    const Case cases[] = {
        {"wrong password", alice.userId, "wrong", "desk", alice.token, "501 BAD PASSWORD"},
        {"unknown user id", "999", "secret", "desk", alice.token, "500 AC UNKNOWN"},
        {"user id 0", "0", "secret", "desk", alice.token, "500 AC UNKNOWN"},
        {"unknown computer", alice.userId, "secret", "laptop", alice.token, "500 AC UNKNOWN"},
        {"computer with the wrong password", alice.userId, "x", "laptop", alice.token,
         "501 BAD PASSWORD"},
        {"another account's token", alice.userId, "secret", "desk", bob.token, "200 WT"},
        {"empty token", alice.userId, "secret", "desk", "", "200 WT"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Skeld(c.userId, c.token, 5, 5, "0.000", c.password, c.computer), c.expected)
            << c.what;
    }
    const auto fields = PayloadFields(Skeld(alice.userId, alice.token, 1, 0), "100 P OK");
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0], "1");
    EXPECT_EQ(fields[1], "0");
}

TEST_P(SkeldTest, CountsThatAreNotUsableAreRefused) {
    const auto account = Register("alice");
    struct Case {
        std::string keys, clicks, miles;
        int httpStatus;
        std::string reply;  // checked when not empty
    };
    const Case cases[] = {
        {"-1", "0", "0.000", 200, "200 MSG Counts cannot be negative; this skeld was not counted."},
        {"1", "0", "-0.5", 200, ""},
        {"abc", "0", "0.000", 400, ""},
        {"1", "2147483648", "0.000", 400, ""},
        {"1", "1", "1e3", 400, ""},
        {"1", "1", "nan", 400, ""},
        {" 1", "1", "0.000", 400, ""},
    };
    for (const Case& c : cases) {
        const Posted posted = Post({{"action", "skeld"},
                                    {"ostype", "1"},
                                    {"userid", account.userId},
                                    {"password", "secret"},
                                    {"computer", "desk"},
                                    {"token", account.token},
                                    {"keycount", c.keys},
                                    {"clickcount", c.clicks},
                                    {"miles", c.miles}});
        EXPECT_EQ(posted.status, c.httpStatus) << c.keys << " " << c.clicks << " " << c.miles;
        if (!c.reply.empty()) {
            EXPECT_EQ(posted.body, c.reply);
        }
    }
    // None of them used up the token.
    EXPECT_TRUE(Skeld(account.userId, account.token, 1, 1).starts_with("100 P OK "));
}

TEST_P(SkeldTest, RankFollowsTotalKeysAndEqualTotalsShareARank) {
    const auto alice = Register("alice");
    const auto bob = Register("bob");
    const auto carol = Register("carol");
    const auto dave = Register("dave");
    Skeld(alice.userId, alice.token, 10, 0);
    Skeld(bob.userId, bob.token, 30, 0);
    Skeld(carol.userId, carol.token, 20, 0);
    auto rankOf = [&](const std::string& name) {
        const auto info = PayloadFields(Reply({{"action", "accountinfo"},
                                               {"username", name},
                                               {"password", "secret"},
                                               {"computer", "desk"}}),
                                        "100 AC OK");
        return info.size() == 7 ? info[5] : "?";
    };
    EXPECT_EQ(rankOf("bob"), "1");
    EXPECT_EQ(rankOf("carol"), "2");
    EXPECT_EQ(rankOf("alice"), "3");
    EXPECT_EQ(rankOf("dave"), "4");

    const auto fields = PayloadFields(Skeld(dave.userId, dave.token, 20, 0), "100 P OK");
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[2], "2");  // level with carol
    EXPECT_EQ(rankOf("carol"), "2");
    EXPECT_EQ(rankOf("alice"), "4");
}

TEST_P(SkeldTest, ThrottleRefusesASkeldThatComesTooSoon) {
    ServerSettings settings;
    settings.throttleSeconds = 3600;
    StartServer(settings);
    const auto account = Register("alice");
    auto fields = PayloadFields(Skeld(account.userId, account.token, 5, 5), "100 P OK");
    ASSERT_EQ(fields.size(), 5u);

    clock_.Advance(3599);
    EXPECT_EQ(Skeld(account.userId, fields[4], 7, 7), "200 AB");
    // The refused skeld kept the token and counted nothing.
    clock_.Advance(1);
    fields = PayloadFields(Skeld(account.userId, fields[4], 7, 7), "100 P OK");
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0], "12");
}

TEST_P(SkeldTest, ParallelSkeldsLoseNoUpdate) {
    constexpr int kAccounts = 3;
    constexpr int kComputers = 2;
    constexpr int kSkelds = 15;
    std::vector<NewAccount> accounts;
    for (int a = 0; a < kAccounts; ++a) {
        accounts.push_back(Register("user" + std::to_string(a), "secret", "computer0"));
        for (int c = 1; c < kComputers; ++c) {
            const Posted added = PostWebForm(
                "/computers/", "account=user" + std::to_string(a) +
                                   "&password=secret&computer=computer" + std::to_string(c));
            ASSERT_EQ(added.status, 200) << added.body;
        }
    }
    // One thread per computer, each skelding with the token its last skeld gave it.
    std::vector<std::thread> threads;
    std::atomic<int> failures = 0;
    for (int a = 0; a < kAccounts; ++a) {
        for (int c = 0; c < kComputers; ++c) {
            threads.emplace_back([&, a, c] {
                const std::string computer = "computer" + std::to_string(c);
                std::string token = accounts[a].token;
                if (c != 0) {
                    const auto reset = Reply({{"action", "reset_token"},
                                              {"userid", accounts[a].userId},
                                              {"password", "secret"},
                                              {"computer", computer}});
                    token = reset.substr(std::string("100 OK ").size());
                }
                for (int i = 0; i < kSkelds; ++i) {
                    const auto fields = PayloadFields(
                        Skeld(accounts[a].userId, token, 3, 1, "0.125", "secret", computer),
                        "100 P OK");
                    if (fields.size() != 5) {
                        ++failures;
                        return;
                    }
                    token = fields[4];
                }
            });
        }
    }
    for (auto& thread : threads) {
        thread.join();
    }
    ASSERT_EQ(failures, 0);
    for (int a = 0; a < kAccounts; ++a) {
        const auto info = PayloadFields(Reply({{"action", "accountinfo"},
                                               {"username", "user" + std::to_string(a)},
                                               {"password", "secret"},
                                               {"computer", "computer0"}}),
                                        "100 AC OK");
        ASSERT_EQ(info.size(), 7u);
        EXPECT_EQ(info[1], std::to_string(3 * kComputers * kSkelds));
        EXPECT_EQ(info[2], std::to_string(1 * kComputers * kSkelds));
        EXPECT_EQ(info[3], "3.750");
    }
}

TEST_P(SkeldTest, OfSkeldsShowingTheSameTokenAtOnceExactlyOneCounts) {
    const auto account = Register("alice");
    constexpr int kThreads = 8;
    std::vector<std::string> replies(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] { replies[i] = Skeld(account.userId, account.token, 10, 1); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    int accepted = 0;
    for (const std::string& reply : replies) {
        if (reply.starts_with("100 P OK ")) {
            ++accepted;
            EXPECT_EQ(PayloadFields(reply, "100 P OK")[0], "10");
        } else {
            EXPECT_EQ(reply, "200 WT");
        }
    }
    EXPECT_EQ(accepted, 1);
}

INSTANTIATE_FOR_EVERY_ENGINE(SkeldTest);

}  // namespace
