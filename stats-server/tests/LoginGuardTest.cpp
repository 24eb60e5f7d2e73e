#include "LoginGuard.h"

#include <gtest/gtest.h>

#include "ServerFixture.h"

namespace {

class LoginGuardTest : public ServerFixture {
protected:
    void StartWithLimits(int perAccount, int perAddress) {
        ServerSettings settings;
        settings.logins.failuresPerAccount = perAccount;
        settings.logins.failuresPerAddress = perAddress;
        StartServer(settings);
    }
};

TEST_F(LoginGuardTest, AGuesserSpreadingOverAccountsFromOneAddressIsStopped) {
    StartWithLimits(100, 3);
    const NewAccount alice = Register("alice");
    const std::string remembered = Skeld(alice.userId, alice.token, 1, 1);
    ASSERT_TRUE(remembered.starts_with("100 P OK ")) << remembered;
    const std::string aliceToken = PayloadFields(remembered, "100 P OK").back();

    std::vector<NewAccount> others;
    for (const std::string name : {"bob", "carol", "dave"}) {
        others.push_back(Register(name));
        EXPECT_EQ(Skeld(others.back().userId, others.back().token, 1, 1, "0.000", "guess"),
                  "501 BAD PASSWORD");
    }
    // Each account saw one failure only, but the address has used up its three: even the
    // right password of an account not yet remembered is no longer checked from here.
    EXPECT_EQ(Skeld(others[0].userId, others[0].token, 1, 1), "501 BAD PASSWORD");
    EXPECT_EQ(Reply({{"action", "computer_list"}, {"username", "dave"}, {"password", "secret"}}),
              "501 BAD PASSWORD");
    // A password remembered before still passes from the same address.
    EXPECT_TRUE(Skeld(alice.userId, aliceToken, 1, 1).starts_with("100 P OK "));
}

TEST_F(LoginGuardTest, AGuessedAtAccountIsStoppedWhileOthersAndRememberedPasswordsPass) {
    StartWithLimits(2, 0);
    const NewAccount alice = Register("alice");
    const std::string remembered = Skeld(alice.userId, alice.token, 1, 1);
    ASSERT_TRUE(remembered.starts_with("100 P OK ")) << remembered;
    const NewAccount bob = Register("bob");

    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Skeld(alice.userId, "any", 1, 1, "0.000", "guess"), "501 BAD PASSWORD") << i;
    }
    EXPECT_EQ(Reply({{"action", "computer_list"}, {"username", "alice"}, {"password", "guess"}}),
              "501 BAD PASSWORD");
    // The remembered password passes; bob, never guessed at, is checked as always.
    EXPECT_EQ(Reply({{"action", "computer_list"}, {"username", "alice"}, {"password", "secret"}}),
              "100 OK desk");
    EXPECT_EQ(Reply({{"action", "computer_list"}, {"username", "bob"}, {"password", "secret"}}),
              "100 OK desk");
}

TEST_F(LoginGuardTest, WithoutTheCacheEveryPasswordIsCheckedAndStillPasses) {
    ServerSettings settings;
    settings.logins.cacheLifetime = std::chrono::seconds::zero();
    settings.logins.failuresPerAccount = 1;
    StartServer(settings);
    const NewAccount alice = Register("alice");
    const std::string first = Skeld(alice.userId, alice.token, 1, 1);
    ASSERT_TRUE(first.starts_with("100 P OK ")) << first;
    EXPECT_EQ(Skeld(alice.userId, "any", 1, 1, "0.000", "guess"), "501 BAD PASSWORD");
    // Not remembered: the account's one failure now stops its right password too.
    EXPECT_EQ(Skeld(alice.userId, PayloadFields(first, "100 P OK").back(), 1, 1),
              "501 BAD PASSWORD");
}

TEST(LoginGuardAddressTest, AddressesAreLimitedByHostOrIpv6Network) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"192.0.2.7", "192.0.2.7"},
        {"::ffff:192.0.2.7", "192.0.2.7"},
        {"2001:db8:1:2:aaaa::1", "2001:0db8:0001:0002::/64"},
        {"2001:db8:1:2:bbbb:cccc:dddd:eeee", "2001:0db8:0001:0002::/64"},
        {"2001:db8:1:3::1", "2001:0db8:0001:0003::/64"},
        {"::1", "0000:0000:0000:0000::/64"},
    };
    for (const auto& [address, key] : cases) {
        EXPECT_EQ(LoginGuard::AddressKey(address), key) << address;
    }
}

}  // namespace
