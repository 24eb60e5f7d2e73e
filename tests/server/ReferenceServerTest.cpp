// The client's requests against the real reference statistics server, in this process on a
// free loopback port with its database in the test's temporary folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "server/BeginSkeld.h"
#include "server/Communication.h"
#include "server/RequestFixture.h"
#include "support/InProcessStatsServer.h"
#include "support/RecordingAssistant.h"

namespace {

class ReferenceServerTest : public RequestFixture {
protected:
    ReferenceServerTest() { record = AppRecord(); }

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(statsServer.Start(temp / "stats.sqlite", error)) << error;
    }
    void TearDown() override { statsServer.Stop(); }

    RequestContext ReferenceContext() {
        RequestContext context = Context();
        context.Server =
            ServerAddress({"127.0.0.1", static_cast<std::uint16_t>(statsServer.Port())});
        return context;
    }

    // What the application does with the assistant's results once it closes with OK.
    void TakeOver(const Communication& request, const std::string& name,
                  const std::string& computer, const std::string& password) {
        record.Account.UserName = name;
        record.Account.ComputerName = computer;
        record.Account.Password = password;
        record.Account.Email = request.EmailResult;
        record.Account.Token = request.TokenResult;
        record.Account.UserID = request.UserIdResult;
        record.Account.TotalKeys = request.TotalKeysResult;
        record.Account.TotalClicks = request.TotalClicksResult;
        record.Account.Rank = request.RankResult;
        record.Prefs.ApplyNewAccountValues();
    }

    // A form sent to one of the server's web pages as a browser sends it.
    int PostPage(const std::string& path, const httplib::Params& fields = {}) {
        httplib::Client browser("127.0.0.1", statsServer.Port());
        const auto result = browser.Post(path, fields);
        return result ? result->status : 0;
    }

    void RegisterAndTakeOver(const std::string& name, const std::string& password) {
        Communication registration(ReferenceContext());
        registration.RegisterAccount(assistant, name, "desk", password, name + "@example.org");
        ASSERT_TRUE(assistant.accepted) << testing::PrintToString(assistant.calls);
        TakeOver(registration, name, "desk", password);
    }

    InProcessStatsServer statsServer;
    RecordingAssistant assistant;
};

TEST_F(ReferenceServerTest, RegisterLogInAndSkeld) {
    {
        Communication registration(ReferenceContext());
        registration.ClearResults();
        registration.RegisterAccount(assistant, "carol", "laptop", "s3cret", "carol@example.org");
        ASSERT_TRUE(assistant.accepted) << testing::PrintToString(user.messages);
        EXPECT_GT(registration.UserIdResult, 0);
        EXPECT_FALSE(registration.TokenResult.empty());
    }

    // The login path of the assistant finds the computer and the account's details.
    assistant = RecordingAssistant();
    Communication list(ReferenceContext());
    list.FetchComputerList(assistant, "carol", "s3cret");
    EXPECT_EQ(assistant.calls[2], "list: laptop");

    assistant = RecordingAssistant();
    Communication login(ReferenceContext());
    login.ClearResults();
    login.FetchAccountInfo(assistant, "carol", "laptop", "s3cret");
    ASSERT_TRUE(assistant.accepted) << testing::PrintToString(user.messages);
    EXPECT_EQ(login.EmailResult, "carol@example.org");
    EXPECT_EQ(login.TotalKeysResult, 0);
    EXPECT_EQ(login.RankResult, 1);
    TakeOver(login, "carol", "laptop", "s3cret");

    Account().AddUnsentKeys(1234);
    Account().AddUnsentClicks(5);
    Account().AddUnsentMetres(1609.344);
    const std::string firstToken = Account().Token;
    BeginSkeld(ReferenceContext());

    EXPECT_TRUE(user.messages.empty()) << testing::PrintToString(user.messages);
    EXPECT_EQ(Account().TotalKeys, 1234);
    EXPECT_EQ(Account().TotalClicks, 5);
    EXPECT_DOUBLE_EQ(Account().TotalMiles, 1.0);
    EXPECT_EQ(Account().Rank, 1);
    EXPECT_NE(Account().Token, firstToken);
    EXPECT_EQ(Account().GetUnsentKeys(), 0);
    EXPECT_EQ(SkeldLines(),
              std::vector<std::string>{"Skelded with 1,234 keys, 5 mouseclicks and 1.000 Miles"});

    Account().AddUnsentKeys(100);
    BeginSkeld(ReferenceContext());
    EXPECT_EQ(Account().TotalKeys, 1334);
    EXPECT_EQ(Account().TotalClicks, 5);
    EXPECT_EQ(SavedRecord().Account.TotalKeys, 1334);
    EXPECT_EQ(skeldEnd.calls, 2);
}

TEST_F(ReferenceServerTest, AStaleTokenIsResetOnRequestAndTheNextSkeldCounts) {
    Communication registration(ReferenceContext());
    registration.RegisterAccount(assistant, "dave", "desk", "pw", "dave@example.org");
    ASSERT_TRUE(assistant.accepted);
    TakeOver(registration, "dave", "desk", "pw");
    Account().Token = "stale";
    Account().AddUnsentKeys(50);
    user.answers = {true};

    BeginSkeld(ReferenceContext());

    EXPECT_EQ(user.questions.size(), 1u);
    EXPECT_EQ(user.messages, std::vector<std::string>{"Token reset!"});
    EXPECT_EQ(Account().GetUnsentKeys(), 0) << "the reset drops what was not sent";
    EXPECT_EQ(Account().TotalKeys, 0);

    Account().AddUnsentKeys(7);
    BeginSkeld(ReferenceContext());
    EXPECT_EQ(Account().TotalKeys, 7);
    EXPECT_EQ(user.messages.size(), 1u);

    // The newest version is this one: the silent check says nothing.
    Communication(ReferenceContext()).CheckVersion(true);
    ASSERT_EQ(user.balloons.size(), 1u);
    EXPECT_EQ(user.balloons[0].Title, "Skelded!");
}

TEST_F(ReferenceServerTest, APasswordChangedOnBothSidesSkeldsAndInTheClientOnlySaysWhere) {
    RegisterAndTakeOver("erin", "old pw");
    Account().Password = "new pw";
    Account().AddUnsentKeys(5);
    BeginSkeld(ReferenceContext());
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_NE(user.messages[0].find(ReferenceContext().Server.WebPageUrl("/password/")),
              std::string::npos)
        << user.messages[0];
    EXPECT_EQ(Account().TotalKeys, 0);

    EXPECT_EQ(PostPage("/password/", {{"username", "erin"},
                                      {"old_password", "old pw"},
                                      {"new_password", "new pw"},
                                      {"new_password_again", "new pw"}}),
              200);
    BeginSkeld(ReferenceContext());
    EXPECT_EQ(user.messages.size(), 1u) << user.messages.back();
    EXPECT_EQ(Account().TotalKeys, 5);
}

// After a reset the mail is the only place the new password is written down: a second
// computer logs in with it once the link's page confirmed it.
TEST_F(ReferenceServerTest, AResetPasswordComesByMailAndLogsInElsewhereOnceConfirmed) {
    RegisterAndTakeOver("fay", "forgotten");
    Communication(ReferenceContext()).ResetPassword("Rand0m-Pw");
    EXPECT_EQ(Account().Password, "Rand0m-Pw");
    const std::string mail = statsServer.LastMailText();
    EXPECT_NE(mail.find("Account name: fay\n"), std::string::npos) << mail;
    EXPECT_NE(mail.find("New password: Rand0m-Pw\n"), std::string::npos) << mail;
    const std::size_t link = mail.find("/confirm-password/");
    ASSERT_NE(link, std::string::npos) << mail;
    const std::string path = mail.substr(link, mail.find('\n', link) - link);

    httplib::Client browser("127.0.0.1", statsServer.Port());
    const auto page = browser.Get(path);
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("Rand0m-Pw"), std::string::npos);
    EXPECT_EQ(PostPage(path), 200);

    record = AppRecord();  // another computer, a data folder of its own
    assistant = RecordingAssistant();
    Communication login(ReferenceContext());
    login.FetchAccountInfo(assistant, "fay", "desk", "Rand0m-Pw");
    EXPECT_TRUE(assistant.accepted) << testing::PrintToString(assistant.calls);
}

TEST_F(ReferenceServerTest, ARefusedRegistrationShowsTheServersReason) {
    Communication registration(ReferenceContext());
    registration.RegisterAccount(assistant, "gus", "desk", "pw", "no address");
    EXPECT_FALSE(assistant.accepted);
    EXPECT_EQ(assistant.calls.back(),
              "status: Server message: Please give a valid e-mail address.");
    EXPECT_TRUE(user.messages.empty()) << user.messages[0];
}

}  // namespace
