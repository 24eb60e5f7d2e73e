#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "server/Communication.h"
#include "server/RequestFixture.h"
#include "support/RefusingPort.h"

namespace {

constexpr const char* kUnknown = "Unknown server message, please try again later.";

// A reply, what the user sees with ShowNoPopups off and on, and the debug-log line after the
// request's own first line.
struct Row {
    std::string Reply;
    std::vector<std::string> Messages;
    std::vector<std::string> MessagesWithoutPopups;
    std::string LogLine;
};

class MaintenanceTest : public RequestFixture {
protected:
    MaintenanceTest() {
        Account().AddUnsentKeys(10);
        Account().AddUnsentClicks(2);
        Account().AddUnsentMetres(3.0);
    }

    std::string WrongPassword() const {
        return "Wrong password for account alice! If you changed it only in Kestrovin, change "
               "it on " +
               Address().WebPageUrl("/password/") + " too.";
    }
    std::string AccountDoesNotExist() const {
        return "Your account does not exist on the server.  You *must* create an account on the "
               "server\r\nbefore using this program!  Please visit " +
               Address().WebPageUrl("/");
    }

    // Sends each row's reply, with ShowNoPopups off and on, to the request `send` starts.
    void ExpectReports(const std::vector<Row>& rows, const std::function<void()>& send,
                       const std::string& firstLogLine) {
        for (const Row& row : rows) {
            for (const bool noPopups : {false, true}) {
                SCOPED_TRACE(row.Reply + (noPopups ? " without popups" : ""));
                record.Prefs.ShowNoPopups = noPopups ? 1 : 0;
                user = RecordingUser();
                AnswerAll(row.Reply);

                send();

                EXPECT_EQ(user.messages, noPopups ? row.MessagesWithoutPopups : row.Messages);
                const auto lines = DebugLines();
                ASSERT_GE(lines.size(), 2u);
                EXPECT_EQ(lines[lines.size() - 2], firstLogLine);
                EXPECT_EQ(lines.back(), row.LogLine);
            }
        }
    }
};

TEST_F(MaintenanceTest, TokenResetReportsEveryReplyAndKeepsTheAccountOnFailure) {
    const std::vector<Row> rows = {
        {"500 AC UNKNOWN",
         {AccountDoesNotExist()},
         {AccountDoesNotExist()},
         "SERVER - Unknown account"},
        {"500 RT ERROR",
         {"Request failed due a server error, please try again later."},
         {"Request failed due a server error, please try again later."},
         "SERVER - Unknown error"},
        {"501 BAD PASSWORD", {WrongPassword()}, {WrongPassword()}, "SERVER - Wrong password"},
        {"200 MSG Not now",
         {"Server message: Not now"},
         {"Server message: Not now"},
         "SERVER - Server message: Not now"},
        {"100 0K", {kUnknown}, {}, "SERVER - Unknown response: 100 0K"},
    };
    ExpectReports(
        rows, [this] { Communication(Context()).ResetToken(); },
        "SERVER - Sending token reset request");
    EXPECT_EQ(Account().Token, "tok-1");
    EXPECT_EQ(Account().GetUnsentKeys(), 10);
    EXPECT_EQ(Account().UnsentMetres.Load(), 3.0);
    EXPECT_EQ(skeldEnd.calls, 0);
}

TEST_F(MaintenanceTest, TokenResetStoresTheTokenAndEmptiesTheCountersAfterTheMessage) {
    AnswerAll("100 OK fresh 100 OK token");
    std::int32_t unsentWhileShown = -1;
    std::string tokenWhileShown;
    user.whileShowing = [&](const std::string&) {
        unsentWhileShown = Account().GetUnsentClicks();
        tokenWhileShown = Account().Token;
    };

    Communication(Context()).ResetToken();

    EXPECT_EQ(Posted()[0], (PostedFieldList{{"action", "reset_token"},
                                            {"userid", "42"},
                                            {"password", "secret"},
                                            {"computer", "desk"},
                                            {"client_version", "1.7.1"}}));
    EXPECT_EQ(user.messages, std::vector<std::string>{"Token reset!"});
    EXPECT_EQ(tokenWhileShown, "fresh token");
    EXPECT_EQ(unsentWhileShown, 2);
    EXPECT_EQ(Account().Token, "fresh token");
    EXPECT_EQ(Account().GetUnsentKeys(), 0);
    EXPECT_EQ(Account().GetUnsentClicks(), 0);
    EXPECT_EQ(Account().UnsentMetres.Load(), 0.0);
    EXPECT_EQ(DebugLines().back(), "SERVER - Token reset");
    EXPECT_FALSE(StateSaved());
}

// A token that could never be sent back is not stored, and without one the counters are kept.
TEST_F(MaintenanceTest, TokenResetRefusesAnUnusableToken) {
    for (const std::string& reply :
         {std::string("100 OK "), std::string("100 OK"), std::string("100 OK tok\x7f"),
          std::string("100 OK a\tb"), "100 OK " + std::string(256, 't')}) {
        SCOPED_TRACE(reply.substr(0, 20));
        user = RecordingUser();
        AnswerAll(reply);

        Communication(Context()).ResetToken();

        EXPECT_EQ(user.messages, std::vector<std::string>{kUnknown});
        EXPECT_EQ(DebugLines().back(), ("SERVER - Unknown response: " + reply).substr(0, 232));
    }
    EXPECT_EQ(Account().Token, "tok-1");
    EXPECT_EQ(Account().GetUnsentKeys(), 10);
    EXPECT_EQ(Account().UnsentMetres.Load(), 3.0);
}

TEST_F(MaintenanceTest, PasswordResetReportsEveryReplyAndKeepsThePasswordOnFailure) {
    const std::vector<Row> rows = {
        {"500 AC UNKNOWN",
         {AccountDoesNotExist()},
         {AccountDoesNotExist()},
         "SERVER - Account unknown"},
        {"500 RP ERROR",
         {"Request failed due a server error, please try again later"},
         {"Request failed due a server error, please try again later"},
         "SERVER - Unknown error"},
        {"200 MSG Wait 200 MSG a bit",
         {"Server message: Wait a bit"},
         {"Server message: Wait a bit"},
         "SERVER - Server message: Wait a bit"},
        {"501 BAD PASSWORD", {kUnknown}, {}, "SERVER - Unknown response: 501 BAD PASSWORD"},
    };
    ExpectReports(
        rows, [this] { Communication(Context()).ResetPassword("n3wpassw0rd"); },
        "SERVER - Requesting password reset");
    EXPECT_EQ(Account().Password, "secret");
    EXPECT_FALSE(StateSaved());
}

TEST_F(MaintenanceTest, PasswordResetTakesTheNewPasswordBeforeTheMessageAndSavesIt) {
    AnswerAll("100 OK");
    std::string passwordWhileShown;
    user.whileShowing = [&](const std::string&) { passwordWhileShown = Account().Password; };

    Communication(Context()).ResetPassword("n3wpassw0rd");

    EXPECT_EQ(Posted()[0], (PostedFieldList{{"action", "reset_password"},
                                            {"userid", "42"},
                                            {"new_password", "n3wpassw0rd"},
                                            {"client_version", "1.7.1"}}));
    EXPECT_EQ(user.messages,
              std::vector<std::string>{
                  "Your password in the client has been reset, please confirm the email which is "
                  "sent to your email address before you can resume skelding. The email shows "
                  "the new password: keep it, you need it to log in on another computer."});
    EXPECT_EQ(passwordWhileShown, "n3wpassw0rd");
    EXPECT_EQ(DebugLines().back(), "SERVER - Password reset");
    // Only this client knows the new password: it must survive a crash.
    EXPECT_EQ(SavedRecord().Account.Password, "n3wpassw0rd");
    EXPECT_EQ(Account().GetUnsentKeys(), 10);
}

TEST_F(MaintenanceTest, KeyboardImageOffersTheImageAndReportsOnlyWhatItKnows) {
    AnswerAll("100 OK board 7.svg");
    user.answers = {true};

    Communication(Context()).SendKeyboardImage("<keys><key code=\"65\" count=\"3\"/></keys>");

    EXPECT_EQ(Posted()[0], (PostedFieldList{{"action", "keyboard_image"},
                                            {"userid", "42"},
                                            {"password", "secret"},
                                            {"computer", "desk"},
                                            {"xml", "<keys><key code=\"65\" count=\"3\"/></keys>"},
                                            {"client_version", "1.7.1"}}));
    EXPECT_EQ(
        user.questions,
        std::vector<std::string>{"Key frequency image generated! Would you like to browse to it?"});
    EXPECT_EQ(user.questionIcons, std::vector<UserPort::Icon>{UserPort::Icon::Information});
    // The name stays one segment of the address.
    EXPECT_EQ(user.opened,
              std::vector<std::string>{Address().WebPageUrl("/keyboard-images/board%207.svg")});
    EXPECT_EQ(DebugLines(), std::vector<std::string>{"SERVER - Sending key frequencies to server"});

    user = RecordingUser();
    user.answers = {false};
    AnswerAll("100 OK a?b#c");
    Communication(Context()).SendKeyboardImage("<keys/>");
    EXPECT_EQ(user.questions.size(), 1u);
    EXPECT_TRUE(user.opened.empty());

    user = RecordingUser();
    user.answers = {true};
    Communication(Context()).SendKeyboardImage("<keys/>");
    EXPECT_EQ(user.opened,
              std::vector<std::string>{Address().WebPageUrl("/keyboard-images/a%3Fb%23c")});
}

// An image name that is not one plain segment of the address would lead the browser elsewhere
// on the web site: such a reply is not understood.
TEST_F(MaintenanceTest, KeyboardImageRefusesANameThatIsNotOnePlainSegment) {
    for (const std::string reply :
         {"100 OK .", "100 OK ..", "100 OK ../../admin", "100 OK a/b", "100 OK ", "100 OK",
          "100 OKAY", "100 OK board\x01.svg", "100 OK a\tb"}) {
        SCOPED_TRACE(reply);
        user = RecordingUser();
        user.answers = {true};
        AnswerAll(reply);

        Communication(Context()).SendKeyboardImage("<keys/>");

        EXPECT_TRUE(user.questions.empty());
        EXPECT_TRUE(user.opened.empty());
        EXPECT_EQ(user.messages, std::vector<std::string>{kUnknown});
        EXPECT_EQ(DebugLines().back(), "SERVER - Unknown response: " + reply);
    }
}

TEST_F(MaintenanceTest, KeyboardImageFailures) {
    record.Prefs.ShowNoPopups = 1;  // suppresses nothing here
    const std::vector<Row> rows = {
        {"501 BAD PASSWORD", {"Wrong password!"}, {}, "SERVER - Wrong password response"},
        {"500 AC UNKNOWN", {"UserID 42 not found!"}, {}, "SERVER - UserID 42 not found!"},
        {"200 MSG hello", {}, {}, ""},
        {"", {}, {}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Reply);
        user = RecordingUser();
        AnswerAll(row.Reply);
        std::filesystem::remove(dataHome / "Kestrovin" / "Debug.log");

        Communication(Context()).SendKeyboardImage("<keys/>");

        EXPECT_EQ(user.messages, row.Messages);
        EXPECT_TRUE(user.questions.empty());
        std::vector<std::string> lines = {"SERVER - Sending key frequencies to server"};
        if (!row.LogLine.empty()) {
            lines.push_back(row.LogLine);
        }
        EXPECT_EQ(DebugLines(), lines);
    }
}

TEST_F(MaintenanceTest, KeyboardImageWithAConnectionFailureShowsOnlyTheTransportBalloon) {
    RefusingPort refusing;
    RequestContext context = Context();
    context.Server = ServerAddress({"127.0.0.1", static_cast<std::uint16_t>(refusing.Port())});

    Communication(context).SendKeyboardImage("<keys/>");

    ASSERT_EQ(user.balloons.size(), 1u);
    EXPECT_EQ(user.balloons[0].Title, "Connection Error");
    EXPECT_TRUE(user.messages.empty());
    EXPECT_TRUE(user.questions.empty());
}

TEST_F(MaintenanceTest, InteractiveVersionCheck) {
    const std::string downloads = Address().WebPageUrl("/downloads/");
    const std::string newer =
        "There's a new version of Kestrovin available.\nClick 'Yes' to visit the download section.";
    struct Case {
        std::string Reply;
        int HttpStatus;
        std::vector<std::string> Messages;
        std::vector<std::string> Questions;
    };
    const std::vector<Case> cases = {
        {"1.7.1", 200, {"You already have the latest version of Kestrovin!"}, {}},
        {"1.7.0", 200, {"You have an unreleased client! (stable = 1.7.0, you = 1.7.1)"}, {}},
        {"1.10", 200, {"You have an unreleased client! (stable = 1.10, you = 1.7.1)"}, {}},
        {"1.8", 200, {}, {newer}},
        {"1.7.10", 200, {}, {newer}},
        {"1.7.1\n", 200, {}, {newer}},
        {"anything", 503, {}, {}},  // "error": the transport has had its say
    };
    for (const Case& c : cases) {
        for (const bool yes : {true, false}) {
            SCOPED_TRACE(c.Reply + (yes ? " answered Yes" : " answered No"));
            user = RecordingUser();
            user.answers = {yes};
            AnswerAll(c.Reply, c.HttpStatus);

            Communication(Context()).CheckVersion(false);

            EXPECT_EQ(user.messages, c.Messages);
            for (const UserPort::Icon icon : user.icons) {
                EXPECT_EQ(icon, UserPort::Icon::Information);
            }
            EXPECT_EQ(user.questions, c.Questions);
            for (const UserPort::Icon icon : user.questionIcons) {
                EXPECT_EQ(icon, UserPort::Icon::Information);
            }
            EXPECT_EQ(user.opened, yes && !c.Questions.empty() ? std::vector<std::string>{downloads}
                                                               : std::vector<std::string>{});
            EXPECT_TRUE(user.balloons.empty());
        }
    }
    EXPECT_EQ(Posted()[0],
              (PostedFieldList{
                  {"action", "check_version"}, {"os", "windows"}, {"client_version", "1.7.1"}}));
    const auto lines = DebugLines();
    EXPECT_EQ(lines.size(), 14u);
    for (const std::string& line : lines) {
        EXPECT_EQ(line, "SERVER - Requesting latest client version");
    }
}

// A web site that answers the version check with an HTML page makes a "newer version" of it.
TEST_F(MaintenanceTest, AVersionCheckAnsweredWithAWebPageShowsOnlyItsBeginning) {
    std::string page = "<html><body>";
    while (page.size() < 100'000) {
        page += "<p>Not found</p>\n";
    }
    AnswerAll(page);
    Communication(Context()).CheckVersion(true);

    AnswerAll("1.0\n" + page);
    Communication(Context()).CheckVersion(false);

    ASSERT_EQ(user.balloons.size(), 1u);
    EXPECT_TRUE(user.balloons[0].Text.starts_with("New client available: <html><body><p>"));
    EXPECT_EQ(user.balloons[0].Text.size(), 255u);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_TRUE(
        user.messages[0].starts_with("You have an unreleased client! (stable = 1.0\n<html>"));
    EXPECT_TRUE(user.messages[0].ends_with(" [...], you = 1.7.1)"));
    EXPECT_LE(user.messages[0].size(), 1100u);
}

TEST_F(MaintenanceTest, SilentVersionCheckShowsOnlyANewerVersionInABalloon) {
    record.Prefs.ShowNoPopups = 1;  // does not hold back this balloon
    for (const auto& [reply, status] : {std::pair<std::string, int>{"1.7.1", 200},
                                        {"1.7.0", 200},
                                        {"", 200},
                                        {"2.0", 404},
                                        {"error", 200}}) {
        SCOPED_TRACE(reply);
        AnswerAll(reply, status);
        Communication(Context()).CheckVersion(true);
    }
    EXPECT_TRUE(user.balloons.empty());

    AnswerAll("1.8");
    Communication(Context()).CheckVersion(true);

    ASSERT_EQ(user.balloons.size(), 1u);
    EXPECT_EQ(user.balloons[0].Title, "New version available!");
    EXPECT_EQ(user.balloons[0].Text,
              "New client available: 1.8!\n" + Address().WebPageUrl("/downloads/"));
    EXPECT_TRUE(user.messages.empty());
    EXPECT_TRUE(user.questions.empty());
    EXPECT_TRUE(user.opened.empty());
}

TEST_F(MaintenanceTest, ForApplicationAppliesTheProxyPreference) {
    record.Prefs.ProxyHost = "127.0.0.1";
    record.Prefs.ProxyPort = server.Port();
    AnswerAll("1.7.1");
    RequestContext context = Context();
    context.Server = ServerAddress({"stats.example", 80});  // reachable only through the proxy

    record.Prefs.ProxyUse = 0;
    EXPECT_FALSE(Communication::ForApplication(context).Transport().UsesProxy());
    // Settings stored with proxy use but no host: every request would fail.
    record.Prefs.ProxyUse = 1;
    record.Prefs.ProxyHost = "";
    EXPECT_FALSE(Communication::ForApplication(context).Transport().UsesProxy());
    record.Prefs.ProxyHost = "127.0.0.1";

    record.Prefs.ProxyUse = 1;
    Communication request = Communication::ForApplication(context);
    request.CheckVersion(false);

    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Target, "http://stats.example/server.php");
    EXPECT_EQ(user.messages,
              std::vector<std::string>{"You already have the latest version of Kestrovin!"});
}

}  // namespace
