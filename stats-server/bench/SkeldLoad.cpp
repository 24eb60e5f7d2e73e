#include "SkeldLoad.h"

#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <thread>
#include <utility>

#include "support/ClientForm.h"

namespace {

constexpr const char* kPassword = "bench-secret";
constexpr const char* kComputer = "desk";

// A connection per request, as the client makes them: a kept-alive connection would hold one
// of the server's worker threads between requests, which no real client does.
httplib::Client NewClient(const SkeldLoad::Address& server) {
    httplib::Client client(server.host, server.port);
    client.set_keep_alive(false);
    client.set_connection_timeout(10);
    client.set_read_timeout(30);
    return client;
}

// One skeld; `answered` is false when no HTTP answer came.
std::string PostSkeld(httplib::Client& client, const std::string& userId, const std::string& token,
                      std::int64_t keys, std::int64_t clicks, bool& answered) {
    const auto result = client.Post("/server.php",
                                    EncodedBody({{"action", "skeld"},
                                                 {"ostype", "1"},
                                                 {"userid", userId},
                                                 {"password", kPassword},
                                                 {"computer", kComputer},
                                                 {"token", token},
                                                 {"keycount", std::to_string(keys)},
                                                 {"clickcount", std::to_string(clicks)},
                                                 {"miles", "0.000"}}),
                                    "application/x-www-form-urlencoded");
    answered = static_cast<bool>(result);
    if (!result) {
        return "no answer (" + httplib::to_string(result.error()) + ")";
    }
    return result->status == 200 ? result->body : "HTTP " + std::to_string(result->status);
}

double Percentile(const std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) {
        return 0;
    }
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1));
    return sorted[index];
}

}  // namespace

std::string SkeldLoad::Register(int index, Account& account) const {
    httplib::Client client = NewClient(settings_.servers.front());
    const std::string name = "bench-" + runTag_ + "-" + std::to_string(index);
    const auto result = client.Post("/server.php",
                                    EncodedBody({{"action", "register_account"},
                                                 {"username", name},
                                                 {"password", kPassword},
                                                 {"computer", kComputer},
                                                 {"email", name + "@example.org"}}),
                                    "application/x-www-form-urlencoded");
    if (!result || result->status != 200 || !result->body.starts_with("100 OK ")) {
        return "registering " + name + " failed: " +
               (result ? result->body : "no answer (" + httplib::to_string(result.error()) + ")");
    }
    const std::string payload = result->body.substr(7);
    const std::size_t space = payload.find(' ');
    account.userId = payload.substr(0, space);
    account.token = space == std::string::npos ? "" : payload.substr(space + 1);
    return {};
}

std::string SkeldLoad::WarmUp(Account& account) const {
    for (const Address& server : settings_.servers) {
        httplib::Client client = NewClient(server);
        bool answered = false;
        const std::string reply = PostSkeld(client, account.userId, account.token, 1, 0, answered);
        const auto fields = TabFields(reply.starts_with("100 P OK ") ? reply.substr(9) : "");
        if (fields.size() != 5) {
            return "the first skeld of account " + account.userId + " failed: " + reply;
        }
        account.token = fields[4];
        account.keys += 1;
    }
    return {};
}

void SkeldLoad::RunClient(int client, std::chrono::steady_clock::time_point until,
                          ClientTally& tally) {
    std::vector<httplib::Client> servers;
    for (const Address& server : settings_.servers) {
        servers.push_back(NewClient(server));
    }
    std::minstd_rand random(static_cast<unsigned>(client) + 1);
    std::vector<Account*> mine;
    for (std::size_t i = static_cast<std::size_t>(client); i < accounts_.size();
         i += static_cast<std::size_t>(settings_.clients)) {
        mine.push_back(&accounts_[i]);
    }
    std::size_t next = 0;
    while (std::chrono::steady_clock::now() < until && !mine.empty()) {
        Account& account = *mine[next++ % mine.size()];
        if (account.uncertain) {
            continue;
        }
        const std::int64_t keys = 1 + static_cast<std::int64_t>(random() % 500);
        const std::int64_t clicks = static_cast<std::int64_t>(random() % 50);
        bool answered = false;
        const auto start = std::chrono::steady_clock::now();
        const std::string reply = PostSkeld(servers[account.sent++ % servers.size()],
                                            account.userId, account.token, keys, clicks, answered);
        tally.latenciesMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (!answered) {
            ++tally.unanswered;
            account.uncertain = true;
            if (tally.error.empty()) {
                tally.error = reply;
            }
            continue;
        }
        if (!reply.starts_with("100 P OK ")) {
            ++tally.refused;
            if (tally.error.empty()) {
                tally.error = reply;
            }
            continue;
        }
        ++tally.accepted;
        account.keys += keys;
        account.clicks += clicks;
        const auto fields = TabFields(reply.substr(9));
        if (fields.size() == 5) {
            account.token = fields[4];
        }
    }
}

void SkeldLoad::CheckTotals(Report& report) {
    httplib::Client http = NewClient(settings_.servers.back());
    for (Account& account : accounts_) {
        if (account.uncertain) {
            continue;
        }
        // A skeld of nothing answers the account's totals without changing them.
        bool answered = false;
        const std::string reply = PostSkeld(http, account.userId, account.token, 0, 0, answered);
        ++report.accountsChecked;
        const auto fields = reply.starts_with("100 P OK ") ? TabFields(reply.substr(9))
                                                           : std::vector<std::string>{};
        const std::string expected =
            std::to_string(account.keys) + " keys, " + std::to_string(account.clicks) + " clicks";
        if (fields.size() != 5 || fields[0] != std::to_string(account.keys) ||
            fields[1] != std::to_string(account.clicks)) {
            report.mismatches.push_back("account " + account.userId + ": sent " + expected +
                                        ", server answers \"" + reply + "\"");
        }
    }
}

SkeldLoad::Report SkeldLoad::Run() {
    Report report;
    if (settings_.servers.empty()) {
        report.error = "no server to send to";
        return report;
    }
    if (settings_.clients < 1 || settings_.accounts < settings_.clients) {
        report.error = "need at least one client and at least as many accounts as clients";
        return report;
    }
    runTag_ = std::to_string(::getpid()) + "-" +
              std::to_string(std::chrono::system_clock::now().time_since_epoch().count() % 1000000);
    accounts_.assign(static_cast<std::size_t>(settings_.accounts), Account{});

    // Registration hashes each password once, and each server process checks it once with
    // PBKDF2 before it remembers it: both are done here, before the clock starts, as they are
    // long before the top of the hour. A few threads share it. Not one per client:
    // the server's listen backlog is the library's 5, and a burst of 50 connections made at
    // once loses some of them, which would end the run before it began.
    const int registrars = std::min(settings_.clients, 4);
    std::vector<std::string> errors(static_cast<std::size_t>(registrars));
    {
        std::vector<std::jthread> threads;
        for (int client = 0; client < registrars; ++client) {
            threads.emplace_back([this, client, registrars, &errors] {
                for (int i = client; i < settings_.accounts; i += registrars) {
                    Account& account = accounts_[static_cast<std::size_t>(i)];
                    std::string error = Register(i, account);
                    if (error.empty()) {
                        error = WarmUp(account);
                    }
                    if (!error.empty() && errors[static_cast<std::size_t>(client)].empty()) {
                        errors[static_cast<std::size_t>(client)] = error;
                    }
                }
            });
        }
    }
    for (const auto& error : errors) {
        if (!error.empty()) {
            report.error = error;
            return report;
        }
    }

    std::vector<ClientTally> tallies(static_cast<std::size_t>(settings_.clients));
    const auto start = std::chrono::steady_clock::now();
    const auto until = start + settings_.duration;
    {
        std::vector<std::jthread> threads;
        for (int client = 0; client < settings_.clients; ++client) {
            threads.emplace_back([this, client, until, &tallies] {
                RunClient(client, until, tallies[static_cast<std::size_t>(client)]);
            });
        }
    }
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::vector<double> latencies;
    for (const ClientTally& tally : tallies) {
        latencies.insert(latencies.end(), tally.latenciesMs.begin(), tally.latenciesMs.end());
        report.accepted += tally.accepted;
        report.refused += tally.refused;
        report.unanswered += tally.unanswered;
        if (report.firstFailure.empty()) {
            report.firstFailure = tally.error;
        }
    }
    std::sort(latencies.begin(), latencies.end());
    report.p50Ms = Percentile(latencies, 0.50);
    report.p90Ms = Percentile(latencies, 0.90);
    report.p99Ms = Percentile(latencies, 0.99);
    CheckTotals(report);
    return report;
}
