#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "counting/DistanceUnit.h"
#include "server/BeginSkeld.h"
#include "server/Communication.h"
#include "server/RequestFixture.h"
#include "support/RefusingPort.h"

namespace {

constexpr const char* kUnknown = "Unknown server message, please try again later.";

class SkeldTest : public RequestFixture {
protected:
    SkeldTest() {
        Account().AddUnsentKeys(10);
        Account().AddUnsentClicks(2);
        Account().AddUnsentMetres(3.0);
    }

    // Nothing of the account changed, the file holds the counts as saved before the exchange,
    // and the skeld has ended.
    void ExpectNothingTaken() {
        EXPECT_EQ(Account().GetUnsentKeys(), 10);
        EXPECT_EQ(Account().GetUnsentClicks(), 2);
        EXPECT_EQ(Account().UnsentMetres.Load(), 3.0);
        EXPECT_EQ(Account().TotalKeys, 1000);
        EXPECT_EQ(Account().TotalClicks, 100);
        EXPECT_EQ(Account().TotalMiles, 1.5);
        EXPECT_EQ(Account().Rank, 7);
        EXPECT_EQ(Account().Token, "tok-1");
        EXPECT_EQ(Account().LastSkeld, 0);
        const AppRecord saved = SavedRecord();
        EXPECT_EQ(saved.Account.GetUnsentKeys(), 10);
        EXPECT_EQ(saved.Account.GetUnsentClicks(), 2);
        EXPECT_EQ(saved.Account.Token, "tok-1");
        EXPECT_TRUE(SkeldLines().empty());
        EXPECT_EQ(skeldEnd.calls, 1);
        EXPECT_EQ(inProgressWhenSkeldEnded, 1);
        EXPECT_EQ(Account().SkeldInProgress, 0);
    }
};

TEST_F(SkeldTest, ASuccessTakesTheServersTotalsEmptiesTheCountersAndSaves) {
    Account().ResetUnsentKeys();
    Account().ResetUnsentClicks();
    Account().ResetUnsentDistance();
    Account().AddUnsentKeys(1234);
    Account().AddUnsentClicks(5);
    Account().AddUnsentMetres(12.5);
    record.Prefs.DistanceType = 2;
    AnswerAll("100 P OK 5000\t700\t3\t12.25\tnew-token");

    BeginSkeld(Context());

    ASSERT_EQ(Posted().size(), 1u);
    EXPECT_EQ(Posted()[0], (PostedFieldList{{"action", "skeld"},
                                            {"ostype", "1"},
                                            {"userid", "42"},
                                            {"password", "secret"},
                                            {"computer", "desk"},
                                            {"token", "tok-1"},
                                            {"keycount", "1234"},
                                            {"clickcount", "5"},
                                            {"miles", "0.008"},  // 12.5 m
                                            {"client_version", "1.7.1"}}));
    EXPECT_EQ(tray.icons, std::vector<TrayIconId>{TrayIconId::Sending});
    EXPECT_EQ(tray.tooltips, std::vector<std::string>{"Sending keys..."});

    const std::string text = "Skelded with 1,234 keys, 5 mouseclicks and 12.500 Meters";
    EXPECT_EQ(SkeldLines(), std::vector<std::string>{text});
    ASSERT_EQ(user.balloons.size(), 1u);
    EXPECT_EQ(user.balloons[0].Title, "Skelded!");
    EXPECT_EQ(user.balloons[0].Text, text);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{"SERVER - Sending skeld",
                                                      "SERVER - Skeld accepted, updating totals"}));

    EXPECT_EQ(Account().TotalKeys, 5000);
    EXPECT_EQ(Account().TotalClicks, 700);
    EXPECT_EQ(Account().Rank, 3);
    EXPECT_EQ(Account().TotalMiles, 12.25);
    EXPECT_EQ(Account().Token, "new-token");
    EXPECT_EQ(Account().KeysLastSkeld, 1234);
    EXPECT_EQ(Account().GetUnsentKeys(), 0);
    EXPECT_EQ(Account().GetUnsentClicks(), 0);
    EXPECT_EQ(Account().UnsentMetres.Load(), 0.0);
    EXPECT_EQ(Account().LastSkeld, clock.Now());
    EXPECT_EQ(skeldEnd.calls, 1);
    EXPECT_EQ(inProgressWhenSkeldEnded, 1);
    EXPECT_EQ(Account().SkeldInProgress, 0);

    const AppRecord saved = SavedRecord();
    EXPECT_EQ(saved.Account.Token, "new-token");
    EXPECT_EQ(saved.Account.TotalKeys, 5000);
    EXPECT_EQ(saved.Account.GetUnsentKeys(), 0);
    EXPECT_EQ(saved.Account.LastSkeld, clock.Now());
}

TEST_F(SkeldTest, TravelMeasuredDuringTheExchangeIsReportedThenDiscarded) {
    record.Prefs.DistanceType = 2;
    AnswerAll("100 P OK 1\t1\t1\t1\tt");
    // The mouse thread goes on measuring while the exchange blocks the user-interface thread.
    WhileAnswering([this] { Account().AddUnsentMetres(2.0); });

    BeginSkeld(Context());

    EXPECT_EQ(PostedValue(Posted()[0], "miles"), "0.002");  // the 3 m of the snapshot
    EXPECT_EQ(SkeldLines(),
              std::vector<std::string>{"Skelded with 10 keys, 2 mouseclicks and 5.000 Meters"});
    EXPECT_EQ(Account().UnsentMetres.Load(), 0.0);
}

TEST_F(SkeldTest, TheSuccessBalloonFollowsUseBalloonsWhateverShowNoPopupsSays) {
    AnswerAll("100 P OK 1\t1\t1\t1\tt");
    for (const auto& [useBalloons, noPopups, shown] :
         {std::tuple{1, 0, true}, {1, 1, true}, {0, 0, false}, {0, 1, false}}) {
        SCOPED_TRACE(testing::Message()
                     << "UseBalloons " << useBalloons << " ShowNoPopups " << noPopups);
        record.Prefs.UseBalloons = useBalloons;
        record.Prefs.ShowNoPopups = noPopups;
        user.balloons.clear();
        Account().AddUnsentKeys(1);

        BeginSkeld(Context());

        EXPECT_EQ(user.balloons.size(), shown ? 1u : 0u);
        EXPECT_EQ(Account().GetUnsentKeys(), 0);
    }
    EXPECT_EQ(SkeldLines().size(), 4u);
}

// A success reply's five fields are read leniently; with any other number of fields the
// skeld still counts as done, but nothing of the reply is taken.
struct SuccessCase {
    std::string Reply;
    bool FiveFields;
    std::int32_t Keys, Clicks, Rank;
    double Miles;
    std::string Token;
};

void PrintTo(const SuccessCase& row, std::ostream* out) {
    *out << testing::PrintToString(row.Reply.substr(0, 60));
}

class SkeldSuccessTest : public SkeldTest, public testing::WithParamInterface<SuccessCase> {};

TEST_P(SkeldSuccessTest, ReadsTheFieldsLenientlyOrNotAtAll) {
    const SuccessCase& row = GetParam();
    AnswerAll(row.Reply);

    BeginSkeld(Context());

    EXPECT_EQ(Account().TotalKeys, row.Keys);
    EXPECT_EQ(Account().TotalClicks, row.Clicks);
    EXPECT_EQ(Account().Rank, row.Rank);
    EXPECT_EQ(Account().TotalMiles, row.Miles);
    EXPECT_EQ(Account().Token, row.Token);
    EXPECT_EQ(Account().KeysLastSkeld, row.FiveFields ? 10 : 0);
    EXPECT_EQ(SkeldLines().size(), row.FiveFields ? 1u : 0u);
    EXPECT_EQ(user.balloons.size(), row.FiveFields ? 1u : 0u);
    // Either way the counts are the server's now.
    EXPECT_EQ(Account().GetUnsentKeys(), 0);
    EXPECT_EQ(Account().GetUnsentClicks(), 0);
    EXPECT_EQ(Account().UnsentMetres.Load(), 0.0);
    EXPECT_EQ(Account().LastSkeld, clock.Now());
    EXPECT_EQ(skeldEnd.calls, 1);
    EXPECT_TRUE(StateSaved());
    EXPECT_TRUE(user.messages.empty());
}

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();

// The server has counted the keys whatever else the reply holds, but a token that is empty,
// absurdly long or holds control characters is never stored: the old one stays, the next skeld
// meets "200 WT" and the token reset repairs it. Negative totals and ranks read as 0.
INSTANTIATE_TEST_SUITE_P(
    Replies, SkeldSuccessTest,
    testing::Values(SuccessCase{"100 P OK  12abc\t-7\t+3x\t1.5e2miles\ttok\r\n", true, 12, 0, 3,
                                150.0, "tok-1"},
                    SuccessCase{"100 P OK x\t\t.\t-.5\t", true, 0, 0, 0, 0.0, "tok-1"},
                    SuccessCase{"100 P OK 99999999999\t-99999999999\t-1\tnan\t100 P OK t", true,
                                kMax, 0, 0, 0.0, "t"},
                    SuccessCase{"100 P OK 1\t2\t3\t4\t" + std::string(1'000'000, 't'), true, 1, 2,
                                3, 4.0, "tok-1"},
                    SuccessCase{"100 P OK 1\t2\t3\t4\tto\r\nken", true, 1, 2, 3, 4.0, "tok-1"},
                    SuccessCase{"100 P OK 1\t2\t3\t4\t" + std::string(255, 't'), true, 1, 2, 3, 4.0,
                                std::string(255, 't')},
                    SuccessCase{"100 P OK 1\t2\t3\t1e70\tt", true, 1, 2, 3, kMaxMiles, "t"},
                    SuccessCase{"100 P OK 1\t2\t3\t4", false, 1000, 100, 7, 1.5, "tok-1"},
                    SuccessCase{"100 P OK 1\t2\t3\t4\ttok\t", false, 1000, 100, 7, 1.5, "tok-1"},
                    SuccessCase{"100 P OKAY 1\t2\t3\t4\ttok", false, 1000, 100, 7, 1.5, "tok-1"},
                    SuccessCase{"100 P OK", false, 1000, 100, 7, 1.5, "tok-1"}));

// Every failure: its message unless ShowNoPopups is set ("{server}" stands for the test
// server's address), its debug-log line, and the skeld ends with the account as it was.
struct FailureCase {
    const char* Reply;
    int HttpStatus;
    const char* Message;
    const char* LogLine;
};

void PrintTo(const FailureCase& row, std::ostream* out) {
    *out << "HTTP " << row.HttpStatus << " " << testing::PrintToString(std::string(row.Reply));
}

class SkeldFailureTest : public SkeldTest,
                         public testing::WithParamInterface<std::tuple<FailureCase, bool>> {};

TEST_P(SkeldFailureTest, ReportsAndKeepsEverything) {
    const auto& [row, noPopups] = GetParam();
    record.Prefs.ShowNoPopups = noPopups ? 1 : 0;
    AnswerAll(row.Reply, row.HttpStatus);

    BeginSkeld(Context());

    EXPECT_EQ(Posted().size(), 1u);
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{"SERVER - Sending skeld", row.LogLine}));
    if (noPopups) {
        EXPECT_TRUE(user.messages.empty());
    } else {
        std::string message = row.Message;
        if (const auto server = message.find("{server}"); server != std::string::npos) {
            message.replace(server, 8, Address().Origin());
        }
        EXPECT_EQ(user.messages, std::vector<std::string>{message});
        EXPECT_EQ(user.icons, std::vector<UserPort::Icon>{UserPort::Icon::Exclamation});
    }
    EXPECT_EQ(shownWhenSkeldEnded, user.messages.size()) << "the skeld ends after the message";
    EXPECT_TRUE(user.balloons.empty());
    EXPECT_TRUE(user.questions.empty());
    ExpectNothingTaken();
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SkeldFailureTest,
    testing::Combine(
        testing::Values(
            FailureCase{"501 BAD PASSWORD", 200,
                        "Wrong password for account alice! If you changed it only in Kestrovin, "
                        "change it on {server}/password/ too.",
                        "SERVER - Wrong password for account alice!"},
            FailureCase{"500 AC UNKNOWN\n", 200, "Account alice or profile desk not found!",
                        "SERVER - Account alice or profile desk not found!"},
            FailureCase{"500 P ERROR", 200,
                        "Skeld failed due to server error, please try again later.",
                        "SERVER - Unknown server error"},
            FailureCase{"200 MSG Slow 200 MSG down", 200, "Server message: Slow down",
                        "SERVER - Server message: Slow down"},
            FailureCase{"200 AB", 200, "Activity throttle breached, try again in an hour or so!",
                        "SERVER - Activity throttle breached"},
            FailureCase{"", 200, kUnknown, "SERVER - Unknown response: "},
            FailureCase{"100 P  OK", 200, kUnknown, "SERVER - Unknown response: 100 P  OK"},
            FailureCase{"100 P OK 1\t2\t3\t4\tt", 500, kUnknown,
                        "SERVER - Unknown response: error"}),
        testing::Bool()));

// A session that ends while the exchange blocks the program must find the counts on disk.
TEST_F(SkeldTest, TheCountsAreOnDiskBeforeTheExchangeStarts) {
    std::int32_t savedKeys = -1;
    WhileAnswering([&] {
        AppRecord saved;
        KeyFrequencyTable tally;
        if (persistence.LoadState(saved, tally) == LoadResult::Loaded) {
            savedKeys = saved.Account.GetUnsentKeys();
        }
    });
    AnswerAll("100 P OK 1\t1\t1\t1\tt");

    BeginSkeld(Context());

    EXPECT_EQ(savedKeys, 10);
    EXPECT_EQ(PostedValue(Posted()[0], "keycount"), "10");
    EXPECT_EQ(SavedRecord().Account.GetUnsentKeys(), 0);
}

TEST_F(SkeldTest, AHugeServerMessageIsCutForDisplay) {
    std::string text;
    while (text.size() < 1'000'000) {
        text += "<p>The server is down for maintenance.</p>\n";
    }
    AnswerAll("200 MSG " + text);

    BeginSkeld(Context());

    ASSERT_EQ(user.messages.size(), 1u);
    const std::string& shown = user.messages[0];
    EXPECT_TRUE(shown.starts_with("Server message: <p>The server is down")) << shown;
    EXPECT_TRUE(shown.ends_with(" [...]")) << shown;
    EXPECT_LE(shown.size(), std::string("Server message: ").size() + 1000u + 6u);
    EXPECT_LE(DebugLines().back().size(), 232u);
    ExpectNothingTaken();
}

TEST_F(SkeldTest, AConnectionFailureShowsTheTransportBalloonAndTheUnknownReply) {
    for (const bool noPopups : {false, true}) {
        SCOPED_TRACE(noPopups);
        record.Prefs.ShowNoPopups = noPopups ? 1 : 0;
        user = RecordingUser();
        RefusingPort refusing;
        RequestContext context = Context();
        context.Server = ServerAddress({"127.0.0.1", static_cast<std::uint16_t>(refusing.Port())});

        BeginSkeld(context);

        EXPECT_EQ(user.balloons.size(), noPopups ? 0u : 1u);
        if (!noPopups) {
            EXPECT_EQ(user.balloons[0].Title, "Connection Error");
        }
        EXPECT_EQ(user.messages,
                  noPopups ? std::vector<std::string>{} : std::vector<std::string>{kUnknown});
        EXPECT_EQ(DebugLines().back(), "SERVER - Unknown response: error");
    }
    EXPECT_EQ(skeldEnd.calls, 2);
    EXPECT_EQ(Account().GetUnsentKeys(), 10);
}

TEST_F(SkeldTest, AnInvalidTokenAnsweredYesResetsItOnTheSameRequest) {
    AnswerAction("skeld", "200 WT");
    AnswerAction("reset_token", "100 OK fresh-token");
    user.answers = {true};
    std::int32_t unsentWhileTokenResetShown = -1;
    user.whileShowing = [&](const std::string& text) {
        if (text == "Token reset!") {
            unsentWhileTokenResetShown = Account().GetUnsentKeys();
        }
    };

    BeginSkeld(Context());

    EXPECT_EQ(user.questions,
              std::vector<std::string>{"Invalid token!\n\nWould you like to reset it now?"});
    EXPECT_EQ(user.questionIcons, std::vector<UserPort::Icon>{UserPort::Icon::Error});
    EXPECT_EQ(user.messages, std::vector<std::string>{"Token reset!"});
    const auto posted = Posted();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1], (PostedFieldList{{"action", "reset_token"},
                                          {"userid", "42"},
                                          {"password", "secret"},
                                          {"computer", "desk"},
                                          {"client_version", "1.7.1"}}));
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{
                                "SERVER - Sending skeld", "SERVER - Invalid token",
                                "SERVER - Sending token reset request", "SERVER - Token reset"}));
    EXPECT_EQ(Account().Token, "fresh-token");
    EXPECT_EQ(unsentWhileTokenResetShown, 10) << "the counters go only once the box is closed";
    EXPECT_EQ(Account().GetUnsentKeys(), 0);
    EXPECT_EQ(Account().GetUnsentClicks(), 0);
    EXPECT_EQ(Account().UnsentMetres.Load(), 0.0);
    EXPECT_EQ(skeldEnd.calls, 1);
    EXPECT_EQ(shownWhenSkeldEnded, 2u);
    EXPECT_EQ(Account().TotalKeys, 1000);
    EXPECT_EQ(Account().LastSkeld, 0);
    EXPECT_EQ(SavedRecord().Account.Token, "tok-1")
        << "the new token reaches the file with the next save";
}

TEST_F(SkeldTest, AnInvalidTokenIsLeftAloneOnNoAndWithShowNoPopups) {
    for (const bool noPopups : {false, true}) {
        SCOPED_TRACE(noPopups);
        record.Prefs.ShowNoPopups = noPopups ? 1 : 0;
        user = RecordingUser();
        user.answers = {false};
        AnswerAll("200 WT");

        BeginSkeld(Context());

        EXPECT_EQ(user.questions.size(), noPopups ? 0u : 1u);
        EXPECT_TRUE(user.messages.empty());
        EXPECT_EQ(DebugLines().back(), "SERVER - Invalid token");
    }
    EXPECT_EQ(Posted().size(), 2u) << "no token reset was asked for";
    EXPECT_EQ(skeldEnd.calls, 2);
    EXPECT_EQ(Account().Token, "tok-1");
    EXPECT_EQ(Account().GetUnsentKeys(), 10);
}

TEST_F(SkeldTest, BeginSkeldDoesNothingWhileASkeldRunsOrWithNothingToSend) {
    Account().SkeldInProgress = 1;
    BeginSkeld(Context());
    Account().SkeldInProgress = 0;

    Account().ResetUnsentKeys();
    Account().ResetUnsentClicks();  // the 3 m of mouse travel alone start nothing
    BeginSkeld(Context());

    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(tray.icons.empty());
    EXPECT_TRUE(tray.tooltips.empty());
    EXPECT_EQ(skeldEnd.calls, 0);
    EXPECT_TRUE(DebugLines().empty());

    Account().AddUnsentClicks(1);  // one click is enough
    AnswerAll("200 AB");
    BeginSkeld(Context());
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(SkeldTest, ASecondSkeldWhileTheFirstShowsItsMessageDoesNothing) {
    AnswerAll("500 P ERROR");
    user.whileShowing = [this](const std::string&) { BeginSkeld(Context()); };

    BeginSkeld(Context());

    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(skeldEnd.calls, 1);
}

TEST_F(SkeldTest, TheProxyPreferenceRoutesTheSkeld) {
    record.Prefs.ProxyUse = 1;
    record.Prefs.ProxyHost = "127.0.0.1";
    record.Prefs.ProxyPort = server.Port();
    AnswerAll("200 AB");
    RequestContext context = Context();
    context.Server = ServerAddress({"stats.example", 80});  // reachable only through the proxy

    BeginSkeld(context);

    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Target, "http://stats.example/server.php");
    EXPECT_EQ(DebugLines().back(), "SERVER - Activity throttle breached");
}

}  // namespace
