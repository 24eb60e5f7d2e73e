#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "persistence/AppPersistence.h"
#include "persistence/Logs.h"
#include "server/RequestContext.h"
#include "support/FixedClock.h"
#include "support/PostedFields.h"
#include "support/RecordingHttpServer.h"
#include "support/RecordingPorts.h"
#include "support/RecordingUser.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

// A signed-in client in a temporary program folder and data home, talking to an in-test server
// that answers each action with the reply the test gave it.
class RequestFixture : public testing::Test {
protected:
    struct Canned {
        std::string Body;
        int Status = 200;
    };

    RequestFixture() {
        // Proxies configured on the machine running the tests must not reroute them.
        for (const char* name :
             {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
            environment.Unset(name);
        }
        std::filesystem::create_directories(programFolder);
        std::filesystem::create_directories(dataHome);
        Account().UserName = "alice";
        Account().ComputerName = "desk";
        Account().Password = "secret";
        Account().Token = "tok-1";
        Account().UserID = 42;
        Account().TotalKeys = 1000;
        Account().TotalClicks = 100;
        Account().TotalMiles = 1.5;
        Account().Rank = 7;
        record.Prefs.ApplyNewAccountValues();
        skeldEnd.onEnd = [this] {
            shownWhenSkeldEnded = user.messages.size() + user.questions.size();
            inProgressWhenSkeldEnded = Account().SkeldInProgress;
            Account().SkeldInProgress = 0;
        };
    }

    AccountState& Account() { return record.Account; }

    // Every action gets this reply from now on, unless it has one of its own.
    void AnswerAll(const std::string& body, int status = 200) {
        std::scoped_lock lock(mutex);
        defaultReply = {body, status};
    }
    void AnswerAction(const std::string& action, const std::string& body) {
        std::scoped_lock lock(mutex);
        replies[action] = {body, 200};
    }
    // Runs on the server's thread while a request is being answered.
    void WhileAnswering(std::function<void()> action) {
        std::scoped_lock lock(mutex);
        whileAnswering = std::move(action);
    }

    ServerAddress Address() const {
        return ServerAddress({"127.0.0.1", static_cast<std::uint16_t>(server.Port())});
    }
    RequestContext Context() {
        return {record, frequencies, persistence, logs, user, tray, clock, Address(), skeldEnd};
    }

    std::vector<PostedFieldList> Posted() const {
        std::vector<PostedFieldList> forms;
        for (const RecordedRequest& request : server.Requests()) {
            forms.push_back(PostedFields(request.Body));
        }
        return forms;
    }

    // The messages of a log, without their time stamps.
    std::vector<std::string> LogLines(std::string_view name) const {
        std::ifstream in(dataHome / "Kestrovin" / name);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line.size() > 22 ? line.substr(22) : line);
        }
        return lines;
    }
    std::vector<std::string> DebugLines() const { return LogLines("Debug.log"); }
    std::vector<std::string> SkeldLines() const { return LogLines("Skelds.log"); }

    bool StateSaved() const {
        return std::filesystem::exists(dataHome / "Kestrovin" / "Kestrovin.ksv");
    }
    // What the saved state file and settings give back.
    AppRecord SavedRecord() {
        AppRecord saved;
        KeyFrequencyTable tally;
        EXPECT_EQ(persistence.LoadState(saved, tally), LoadResult::Loaded);
        return saved;
    }

    ScopedEnvironment environment;
    TempFolder temp;
    std::filesystem::path programFolder = temp / "program";
    std::filesystem::path dataHome = temp / "data";
    RecordingUser user;
    RecordingTray tray;
    FixedClock clock;
    RecordingSkeldEnd skeldEnd;
    std::size_t shownWhenSkeldEnded = 0;  // message boxes and questions shown by then
    std::int32_t inProgressWhenSkeldEnded = 0;
    AppRecord record;
    KeyFrequencyTable frequencies;
    AppPersistence persistence{DataFolder(programFolder, dataHome), temp / "config" / "store.conf",
                               user};
    Logs logs{persistence.Folder(), clock};

    std::mutex mutex;
    Canned defaultReply{"", 200};
    std::map<std::string, Canned> replies;
    std::function<void()> whileAnswering;
    RecordingHttpServer server{
        [this](const httplib::Request& request, httplib::Response& response) {
            const std::string action = PostedValue(PostedFields(request.body), "action");
            std::scoped_lock lock(mutex);
            const auto found = replies.find(action);
            const Canned& canned = found != replies.end() ? found->second : defaultReply;
            if (whileAnswering) {
                whileAnswering();
            }
            response.status = canned.Status;
            response.set_content(canned.Body, "text/plain");
        }};
};
