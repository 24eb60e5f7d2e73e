#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "server/Communication.h"
#include "server/RequestFixture.h"
#include "support/RecordingAssistant.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kUnknown = "Unknown server message, please try again later.";
// What an unknown reply leaves in the assistant's status line instead of "Waiting for
// connection...".
const std::string kFailedStatus = std::string("status: ") + Communication::RequestFailedStatus;

// A reply and what it does to the assistant, the message boxes (ShowNoPopups off, then on)
// and the debug log after the request's first line.
struct Case {
    std::string Reply;
    Lines Assistant;
    Lines Messages;
    Lines MessagesWithoutPopups;
    std::string LogLine;
};

// The account requests run before there is an account: the record has none.
class AccountRequestTest : public RequestFixture {
protected:
    AccountRequestTest() { record = AppRecord(); }

    // A request object as the setup assistant prepares one.
    Communication Prepared() {
        Communication request(Context());
        request.ClearResults();
        return request;
    }

    void ExpectNoResults(const Communication& request) {
        EXPECT_EQ(request.EmailResult, "");
        EXPECT_EQ(request.TokenResult, "");
        EXPECT_EQ(request.TotalKeysResult, 0);
        EXPECT_EQ(request.TotalClicksResult, 0);
        EXPECT_EQ(request.UserIdResult, 0);
        EXPECT_EQ(request.RankResult, 0);
    }

    // Sends each case's reply, with ShowNoPopups off and on, to a fresh request that `send`
    // starts; none of them is accepted or leaves a result behind.
    void ExpectRefusals(const std::vector<Case>& cases,
                        const std::function<void(Communication&)>& send,
                        const std::string& firstLogLine) {
        for (const Case& c : cases) {
            for (const bool noPopups : {false, true}) {
                SCOPED_TRACE(c.Reply + (noPopups ? " without popups" : ""));
                record.Prefs.ShowNoPopups = noPopups ? 1 : 0;
                user = RecordingUser();
                assistant = RecordingAssistant();
                AnswerAll(c.Reply);

                Communication request = Prepared();
                send(request);

                EXPECT_EQ(assistant.calls, c.Assistant);
                EXPECT_FALSE(assistant.accepted);
                EXPECT_EQ(user.messages, noPopups ? c.MessagesWithoutPopups : c.Messages);
                const Lines lines = DebugLines();
                EXPECT_EQ(lines[lines.size() - 2], firstLogLine);
                EXPECT_EQ(lines.back(), c.LogLine);
                ExpectNoResults(request);
            }
        }
    }

    RecordingAssistant assistant;
};

TEST_F(AccountRequestTest, ComputerListOutcomes) {
    const Lines checkAgain = {"show 1008", "enable 1008"};
    const auto listShown = [](const std::string& names) {
        return Lines{"status: Verified account information!",
                     "status: Processing Computer Names...",
                     "list: " + names,
                     "show 1174",
                     "show 1175",
                     "enable 1174",
                     "focus 1174",
                     "enable 1",
                     "push",
                     "clear status"};
    };
    const std::string accepted =
        "SERVER - Server accepted authentication, looking for registered computers";
    const std::vector<Case> cases = {
        {"501 BAD PASSWORD",
         {"status: Wrong password for account bob!", "show 1008", "enable 1008"},
         {},
         {},
         "SERVER - Wrong password response"},
        {"500 AC UNKNOWN",
         {"status: Account bob not found!", "show 1008", "enable 1008"},
         {},
         {},
         "SERVER - Account bob not found!"},
        {"100 OK north\tsouth\twest", listShown("west|south|north"), {}, {}, accepted},
        {"100 OK \t", listShown("|"), {}, {}, accepted},
        {"100 OK ",
         {"status: Verified account information!",
          "status: Set up a Computer name on the website and try again!", "show 1008",
          "enable 1008"},
         {"You need to set up a Computer name on the website before you can log in!"},
         {"You need to set up a Computer name on the website before you can log in!"},
         accepted},
        {"200 MSG hello",
         {"status: Server message: hello", "show 1008", "enable 1008"},
         {},
         {},
         "SERVER - Received server message"},
    };
    ExpectRefusals(
        cases,
        [this](Communication& request) { request.FetchComputerList(assistant, "bob", "pw"); },
        "SERVER - Retrieving computer list");
    EXPECT_EQ(Posted()[0], (PostedFieldList{{"action", "computer_list"},
                                            {"username", "bob"},
                                            {"password", "pw"},
                                            {"client_version", "1.7.1"}}));
}

TEST_F(AccountRequestTest, AccountInfoOutcomes) {
    const Lines acceptedCalls = {"status: ", "accepted", "disable 1136",
                                 "enable 1", "show 1",   "text 1: Close"};
    const std::vector<Case> cases = {
        {"501 BAD PASSWORD",
         {"status: Wrong password for account bob!"},
         {},
         {},
         "SERVER - Wrong password response"},
        {"500 AC UNKNOWN",
         {"status: Account bob or computer laptop not found!"},
         {},
         {},
         "SERVER - Account bob or computer laptop not found!"},
        {"200 MSG Closed 200 MSG for repairs",
         {"status: Server message: Closed for repairs"},
         {},
         {},
         "SERVER - Received server message"},
        {"100 AC OKAY", {kFailedStatus}, {kUnknown}, {}, "SERVER - Unknown response: 100 AC OKAY"},
    };
    ExpectRefusals(
        cases,
        [this](Communication& request) {
            request.FetchAccountInfo(assistant, "bob", "laptop", "pw");
        },
        "SERVER - Retrieving account information");
    EXPECT_EQ(Posted()[0], (PostedFieldList{{"action", "accountinfo"},
                                            {"username", "bob"},
                                            {"password", "pw"},
                                            {"computer", "laptop"},
                                            {"client_version", "1.7.1"}}));

    user = RecordingUser();
    assistant = RecordingAssistant();
    AnswerAll("100 AC OK bob@example.org\t 5000x\t600\t12.5\t42\t3\ttoken 1");
    Communication request = Prepared();
    request.FetchAccountInfo(assistant, "bob", "laptop", "pw");

    EXPECT_EQ(assistant.calls, acceptedCalls);
    EXPECT_TRUE(assistant.accepted);
    EXPECT_EQ(request.EmailResult, "bob@example.org");
    EXPECT_EQ(request.TotalKeysResult, 5000);
    EXPECT_EQ(request.TotalClicksResult, 600);
    EXPECT_EQ(request.UserIdResult, 42);
    EXPECT_EQ(request.RankResult, 3);
    EXPECT_EQ(request.TokenResult, "token 1");
    EXPECT_TRUE(user.messages.empty());
    const Lines lines = DebugLines();
    EXPECT_EQ(lines[lines.size() - 2], "SERVER - Retrieving account information");
    EXPECT_EQ(lines.back(), "SERVER - Server accepted authentication, looking for account details");
    // The account record is the assistant's to fill.
    EXPECT_EQ(Account().UserID, 0);
}

TEST_F(AccountRequestTest, RegistrationOutcomes) {
    const std::vector<Case> cases = {
        {"502 AC REGISTERED",
         {"status: Account bob already exists! Please choose another username."},
         {},
         {},
         "SERVER - Account bob already exists! Please choose another username."},
        {"501 BAD PASSWORD",
         {kFailedStatus},
         {kUnknown},
         {},
         "SERVER - Unknown response: 501 BAD PASSWORD"},
        {"200 MSG Please give a valid e-mail address.",
         {"status: Server message: Please give a valid e-mail address."},
         {},
         {},
         "SERVER - Received server message"},
    };
    ExpectRefusals(
        cases,
        [this](Communication& request) {
            request.RegisterAccount(assistant, "bob", "laptop", "pw", "bob@example.org");
        },
        "SERVER - Registering a new account");
    EXPECT_EQ(Posted()[0], (PostedFieldList{{"action", "register_account"},
                                            {"username", "bob"},
                                            {"password", "pw"},
                                            {"computer", "laptop"},
                                            {"email", "bob@example.org"},
                                            {"client_version", "1.7.1"}}));

    user = RecordingUser();
    assistant = RecordingAssistant();
    AnswerAll("100 OK 17 abc123");
    Communication request = Prepared();
    request.RegisterAccount(assistant, "bob", "laptop", "pw", "bob@example.org");

    EXPECT_EQ(assistant.calls, (Lines{"status: Account Information Accepted!", "accepted", "push",
                                      "show 1", "disable 1136", "text 1: Close"}));
    EXPECT_EQ(request.UserIdResult, 17);
    EXPECT_EQ(request.TokenResult, "abc123");
    EXPECT_EQ(DebugLines().back(), "SERVER - Server accepted new account details.");
}

// A success status whose payload lacks the user id or token would set up an account that can
// never skeld: it is refused like any reply the client does not understand.
TEST_F(AccountRequestTest, ASuccessWithoutItsFieldsIsNotTakenAsSuccess) {
    struct Malformed {
        std::string Reply;
        bool Registration;
    };
    for (const Malformed& m :
         {Malformed{"100 AC OK bob@example.org\t5000\t600\t12.5\t42\t3", false},
          Malformed{"100 AC OK a\tb\tc\td\te\tf\tg\th", false},
          Malformed{"100 OK 17 abc 123", true}, Malformed{"100 OK 17", true},
          // Tokens that could never be sent back.
          Malformed{"100 AC OK bob@example.org\t5000\t600\t12.5\t42\t3\tto\x01ken", false},
          Malformed{"100 AC OK bob@example.org\t5000\t600\t12.5\t42\t3\t", false},
          Malformed{"100 OK 17 ", true}, Malformed{"100 OK 17 " + std::string(256, 't'), true}}) {
        SCOPED_TRACE(m.Reply);
        user = RecordingUser();
        assistant = RecordingAssistant();
        AnswerAll(m.Reply);

        Communication request = Prepared();
        if (m.Registration) {
            request.RegisterAccount(assistant, "bob", "laptop", "pw", "bob@example.org");
        } else {
            request.FetchAccountInfo(assistant, "bob", "laptop", "pw");
        }

        EXPECT_FALSE(assistant.accepted);
        EXPECT_EQ(assistant.calls, Lines{kFailedStatus});
        EXPECT_EQ(user.messages, Lines{kUnknown});
        EXPECT_EQ(DebugLines().back(), ("SERVER - Unknown response: " + m.Reply).substr(0, 232));
        ExpectNoResults(request);
    }
}

TEST_F(AccountRequestTest, NegativeTotalsAndRankReadAsZero) {
    AnswerAll("100 AC OK bob@example.org\t-5000\t-600\t-12.5\t42\t-3\ttoken");
    Communication request = Prepared();
    request.FetchAccountInfo(assistant, "bob", "laptop", "pw");

    EXPECT_TRUE(assistant.accepted);
    EXPECT_EQ(request.TotalKeysResult, 0);
    EXPECT_EQ(request.TotalClicksResult, 0);
    EXPECT_EQ(request.RankResult, 0);
    EXPECT_EQ(request.UserIdResult, 42);
}

TEST_F(AccountRequestTest, AHugeServerMessageIsCutOnTheStatusLine) {
    AnswerAll("200 MSG " + std::string(500'000, 'm'));
    Prepared().FetchAccountInfo(assistant, "bob", "laptop", "pw");

    ASSERT_EQ(assistant.calls.size(), 1u);
    EXPECT_EQ(assistant.calls[0], "status: Server message: " + std::string(1000, 'm') + " [...]");
}

}  // namespace
