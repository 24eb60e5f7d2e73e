#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>

#include "server/ApplicationServerActions.h"
#include "server/BeginSkeld.h"
#include "server/Communication.h"
#include "server/RequestFixture.h"
#include "support/RawHttpServer.h"
#include "support/RecordingAssistant.h"
#include "support/RefusingPort.h"

// Every request against a server or network that fails in each way one can: each ends within
// its time-outs, tells the user, takes nothing from the reply and leaves the unsent counts as
// they were (and, where the program saves before an exchange, on disk).

namespace {

using namespace std::chrono_literals;

constexpr const char* kUnknown = "Unknown server message, please try again later.";

enum class Fault {
    Refuses,
    NeverAnswers,
    StallsAfterTheHeaders,
    ResetsMidReply,
    Answers500,
    SendsTenMegabytes,
    Trickles,
    SendsANulFirst,
};

enum class Action {
    Skeld,
    ComputerList,
    AccountInfo,
    RegisterAccount,
    ResetToken,
    ResetPassword,
    KeyboardImage,
    CheckVersion,
};

std::string Name(Action action) {
    static const char* const kNames[] = {"Skeld",         "ComputerList", "AccountInfo",
                                         "Register",      "ResetToken",   "ResetPassword",
                                         "KeyboardImage", "CheckVersion"};
    return kNames[static_cast<int>(action)];
}

std::string Name(Fault fault) {
    static const char* const kNames[] = {"Refuses",  "NeverAnswers", "StallsAfterHeaders",
                                         "Resets",   "Answers500",   "TenMegabytes",
                                         "Trickles", "NulFirst"};
    return kNames[static_cast<int>(fault)];
}

void PrintTo(Action action, std::ostream* out) {
    *out << Name(action);
}

void PrintTo(Fault fault, std::ostream* out) {
    *out << Name(fault);
}

// A reply each request would take as success: after a NUL it must count for nothing.
std::string SuccessReply(Action action) {
    switch (action) {
        case Action::Skeld:
            return "100 P OK 1\t2\t3\t4\tnew-token";
        case Action::ComputerList:
            return "100 OK desk";
        case Action::AccountInfo:
            return "100 AC OK a@b.example\t1\t2\t3\t4\t5\tnew-token";
        case Action::RegisterAccount:
            return "100 OK 17 new-token";
        case Action::ResetToken:
            return "100 OK new-token";
        case Action::ResetPassword:
            return "100 OK";
        case Action::KeyboardImage:
            return "100 OK board.svg";
        case Action::CheckVersion:
            return "9.9";
    }
    return "";
}

void Misbehave(Fault fault, Action action, RawConnection& connection) {
    const std::string okHead = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: ";
    switch (fault) {
        case Fault::Refuses:
            break;
        case Fault::NeverAnswers:
            connection.Stall();
            break;
        case Fault::StallsAfterTheHeaders:
            connection.Send(okHead + "100\r\n\r\n");
            connection.Stall();
            break;
        case Fault::ResetsMidReply:
            connection.Send(okHead + "100\r\n\r\n100 P");
            connection.Pause(50ms);
            connection.Reset();
            break;
        case Fault::Answers500:
            connection.SendResponse("<html><body>Internal Server Error</body></html>",
                                    "500 Internal Server Error");
            break;
        case Fault::SendsTenMegabytes: {
            const std::size_t size = 10 * 1024 * 1024;
            const std::string piece(64 * 1024, 'x');
            if (connection.Send(okHead + std::to_string(size) + "\r\n\r\n")) {
                for (std::size_t sent = 0; sent < size && connection.Send(piece);) {
                    sent += piece.size();
                }
            }
            break;
        }
        case Fault::Trickles:
            // Never silent for long, never done.
            if (connection.Send(okHead + "100000\r\n\r\n")) {
                while (connection.Pause(100ms) && connection.Send(".")) {
                }
            }
            break;
        case Fault::SendsANulFirst: {
            const std::string rest = SuccessReply(action);
            connection.Send(okHead + std::to_string(1 + rest.size()) + "\r\n\r\n");
            connection.Pause(50ms);
            connection.Send(std::string(1, '\0'));
            connection.Pause(50ms);
            connection.Send(rest);
            break;
        }
    }
}

class FaultyServerTest : public RequestFixture,
                         public testing::WithParamInterface<std::tuple<Action, Fault>> {
protected:
    FaultyServerTest() {
        Account().AddUnsentKeys(10);
        Account().AddUnsentClicks(2);
        Account().AddUnsentMetres(3.0);
    }

    void Run(Action action, const RequestContext& context) {
        switch (action) {
            case Action::Skeld:
                BeginSkeld(context);
                break;
            case Action::ComputerList:
                Prepared(context).FetchComputerList(assistant, "alice", "secret");
                break;
            case Action::AccountInfo:
                Prepared(context).FetchAccountInfo(assistant, "alice", "desk", "secret");
                break;
            case Action::RegisterAccount:
                Prepared(context).RegisterAccount(assistant, "alice", "desk", "secret",
                                                  "a@b.example");
                break;
            case Action::ResetToken:
                ApplicationServerActions(context).ResetToken();
                break;
            case Action::ResetPassword:
                ApplicationServerActions(context).ResetPassword("n3wpassw0rd");
                break;
            case Action::KeyboardImage:
                Communication(context).SendKeyboardImage("<keys/>");
                break;
            case Action::CheckVersion:
                ApplicationServerActions(context).CheckVersionInteractively();
                break;
        }
    }

    static Communication Prepared(const RequestContext& context) {
        Communication request(context);
        request.ClearResults();
        return request;
    }

    RecordingAssistant assistant;
};

TEST_P(FaultyServerTest, EndsInTimeTellsTheUserAndKeepsTheCounts) {
    const auto [action, fault] = GetParam();
    user.answers = {true, true};  // whatever is asked, Yes
    RefusingPort refusing;
    std::unique_ptr<RawHttpServer> server;
    int port = refusing.Port();
    if (fault != Fault::Refuses) {
        server = std::make_unique<RawHttpServer>(
            [action, fault](RawConnection& connection) { Misbehave(fault, action, connection); });
        port = server->Port();
    }
    RequestContext context = Context();
    context.Server = ServerAddress({"127.0.0.1", static_cast<std::uint16_t>(port)});
    context.Timeouts = {.Receive = 300, .Connect = 2000, .Whole = 1000};

    Run(action, context);

    // Told: the transport's balloon for a failed exchange, the request's own words for a
    // reply it cannot use (the keyboard image and the version check have none for "error").
    const bool transportFailed = fault != Fault::Answers500 && fault != Fault::SendsANulFirst;
    if (transportFailed) {
        ASSERT_EQ(user.balloons.size(), 1u);
        EXPECT_EQ(user.balloons[0].Title, "Connection Error");
        const std::string& text = user.balloons[0].Text;
        EXPECT_FALSE(text.empty());
        if (fault == Fault::NeverAnswers || fault == Fault::StallsAfterTheHeaders ||
            fault == Fault::Trickles) {
            EXPECT_NE(text.find("timed out"), std::string::npos) << text;
        }
        if (fault == Fault::SendsTenMegabytes) {
            EXPECT_NE(text.find("longer than 1048576 bytes"), std::string::npos) << text;
        }
    } else {
        EXPECT_TRUE(user.balloons.empty());
    }
    const bool saysUnknownReply = action != Action::KeyboardImage && action != Action::CheckVersion;
    if (saysUnknownReply) {
        EXPECT_EQ(user.messages, std::vector<std::string>{kUnknown});
    }

    // Nothing of the reply was taken.
    EXPECT_TRUE(user.questions.empty());
    EXPECT_TRUE(user.opened.empty());
    EXPECT_FALSE(assistant.accepted);
    EXPECT_TRUE(std::none_of(assistant.calls.begin(), assistant.calls.end(),
                             [](const std::string& call) { return call.starts_with("list:"); }));
    EXPECT_EQ(Account().Token, "tok-1");
    EXPECT_EQ(Account().Password, "secret");
    EXPECT_EQ(Account().TotalKeys, 1000);
    EXPECT_EQ(Account().GetUnsentKeys(), 10);
    EXPECT_EQ(Account().GetUnsentClicks(), 2);
    EXPECT_EQ(Account().UnsentMetres.Load(), 3.0);
    EXPECT_EQ(Account().SkeldInProgress, 0);

    // The program's own exchanges save first, so that a session ending meanwhile loses nothing.
    const bool savesFirst = action == Action::Skeld || action == Action::ResetToken ||
                            action == Action::ResetPassword || action == Action::CheckVersion;
    if (savesFirst) {
        const AppRecord saved = SavedRecord();
        EXPECT_EQ(saved.Account.GetUnsentKeys(), 10);
        EXPECT_EQ(saved.Account.GetUnsentClicks(), 2);
        EXPECT_EQ(saved.Account.Token, "tok-1");
    }
}

std::string CaseName(const testing::TestParamInfo<std::tuple<Action, Fault>>& info) {
    return Name(std::get<0>(info.param)) + "_" + Name(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(
    EveryRequest, FaultyServerTest,
    testing::Combine(testing::Values(Action::Skeld, Action::ComputerList, Action::AccountInfo,
                                     Action::RegisterAccount, Action::ResetToken,
                                     Action::ResetPassword, Action::KeyboardImage,
                                     Action::CheckVersion),
                     testing::Values(Fault::Refuses, Fault::NeverAnswers,
                                     Fault::StallsAfterTheHeaders, Fault::ResetsMidReply,
                                     Fault::Answers500, Fault::SendsTenMegabytes, Fault::Trickles,
                                     Fault::SendsANulFirst)),
    CaseName);

}  // namespace
