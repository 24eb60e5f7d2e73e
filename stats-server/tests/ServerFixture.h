#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "AccountDatabase.h"
#include "MailOutbox.h"
#include "OutboxFolder.h"
#include "PasswordHasher.h"
#include "StatsServer.h"
#include "ports/Clock.h"
#include "support/ClientForm.h"
#include "support/TempFolder.h"

// A clock the test sets while the server's threads read it.
class SettableClock final : public Clock {
public:
    std::int64_t Now() const override { return now_; }
    void Advance(std::int64_t seconds) { now_ += seconds; }

private:
    std::atomic<std::int64_t> now_ = 1'700'000'000;
};

class RecordingOutbox final : public MailOutbox {
public:
    struct Mail {
        std::string to, subject, body;
    };
    void Send(const std::string& to, const std::string& subject, const std::string& body) override {
        std::scoped_lock lock(mutex_);
        mails_.push_back({to, subject, body});
    }
    std::vector<Mail> Mails() {
        std::scoped_lock lock(mutex_);
        return mails_;
    }

private:
    std::mutex mutex_;
    std::vector<Mail> mails_;
};

struct Posted {
    int status = 0;  // 0: no answer at all
    std::string body;
};

// A real server on a free loopback port with its database in a temporary folder, and the
// client's side of the exchange.
class ServerFixture : public ::testing::Test {
protected:
    // Fast enough for many logins per test; the hash format is the one the server stores.
    static constexpr int kTestIterations = 1000;

    void SetUp() override { StartServer(ServerSettings{}); }
    void TearDown() override { server_.reset(); }

    // `mail`: where the server's mail goes instead of the recording outbox; `shownOutbox`: the
    // folder served at /outbox/.
    void StartServer(const ServerSettings& settings, MailOutbox* mail = nullptr,
                     const OutboxFolder* shownOutbox = nullptr) {
        server_.reset();
        if (!database_) {
            database_ = std::make_unique<AccountDatabase>();
            std::string error;
            ASSERT_TRUE(database_->Open(DatabaseLocation(), error)) << error;
        }
        server_ = std::make_unique<StatsServer>(*database_, hasher_, clock_,
                                                mail != nullptr ? *mail : outbox_, settings);
        if (shownOutbox != nullptr) {
            server_->ShowOutbox(*shownOutbox);
        }
        std::string error;
        ASSERT_TRUE(server_->Start("127.0.0.1", 0, error)) << error;
    }

    // Where the server keeps its data: a SQLite file unless a fixture says otherwise.
    virtual std::string DatabaseLocation() const { return (folder_ / "stats.sqlite").string(); }

    httplib::Client Client() const { return httplib::Client("127.0.0.1", server_->Port()); }

    Posted PostBody(const std::string& body) const {
        auto result = Client().Post("/server.php", body, "application/x-www-form-urlencoded");
        return result ? Posted{result->status, result->body} : Posted{};
    }
    Posted Post(const Fields& fields) const { return PostBody(EncodedBody(fields)); }
    // The reply of a request the server must answer with HTTP 200.
    std::string Reply(const Fields& fields) const {
        const Posted posted = Post(fields);
        EXPECT_EQ(posted.status, 200) << posted.body;
        return posted.body;
    }

    // A form as a browser sends it.
    Posted PostWebForm(const std::string& path, const std::string& body) const {
        auto result = Client().Post(path.c_str(), body, "application/x-www-form-urlencoded");
        return result ? Posted{result->status, result->body} : Posted{};
    }

    Posted Get(const std::string& path) const {
        auto result = Client().Get(path.c_str());
        return result ? Posted{result->status, result->body} : Posted{};
    }

    struct NewAccount {
        std::string userId;
        std::string token;
    };
    NewAccount Register(const std::string& name, const std::string& password = "secret",
                        const std::string& computer = "desk",
                        const std::string& email = "someone@example.org") const {
        const std::string reply = Reply({{"action", "register_account"},
                                         {"username", name},
                                         {"password", password},
                                         {"computer", computer},
                                         {"email", email}});
        EXPECT_TRUE(reply.starts_with("100 OK ")) << reply;
        const std::string payload = reply.starts_with("100 OK ") ? reply.substr(7) : "";
        const std::size_t space = payload.find(' ');
        return {payload.substr(0, space), payload.substr(space + 1)};
    }

    std::string Skeld(const std::string& userId, const std::string& token, int keys, int clicks,
                      const std::string& miles = "0.000", const std::string& password = "secret",
                      const std::string& computer = "desk") const {
        return Reply({{"action", "skeld"},
                      {"ostype", "1"},
                      {"userid", userId},
                      {"password", password},
                      {"computer", computer},
                      {"token", token},
                      {"keycount", std::to_string(keys)},
                      {"clickcount", std::to_string(clicks)},
                      {"miles", miles}});
    }

    // The tab-separated payload of a reply after its status text.
    static std::vector<std::string> PayloadFields(const std::string& reply,
                                                  const std::string& status) {
        if (!reply.starts_with(status + " ")) {
            return {};
        }
        return TabFields(reply.substr(status.size() + 1));
    }

    TempFolder folder_;
    SettableClock clock_;
    RecordingOutbox outbox_;
    PasswordHasher hasher_{kTestIterations};
    std::unique_ptr<AccountDatabase> database_;
    std::unique_ptr<StatsServer> server_;
};
