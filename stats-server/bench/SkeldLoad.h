#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A crowd of clients skelding against running servers: registers the accounts, lets each
// client skeld its own accounts in turn for a fixed time, then reads every account's totals
// back and compares them with what the server accepted.
class SkeldLoad {
public:
    struct Address {
        std::string host = "127.0.0.1";
        int port = 0;
    };
    struct Settings {
        // More than one: each client sends its skelds to them in turn, as a load balancer
        // would, so that an account's skelds go through every server process.
        std::vector<Address> servers;
        int accounts = 50;  // at least `clients`: an account belongs to one client only
        int clients = 50;
        std::chrono::seconds duration{10};
    };

    struct Report {
        std::string error;  // set when the run could not be made at all
        std::int64_t accepted = 0;
        std::int64_t refused = 0;     // answered, but not "100 P OK"
        std::int64_t unanswered = 0;  // no HTTP answer: that account is left out of the check
        double seconds = 0;
        double p50Ms = 0, p90Ms = 0, p99Ms = 0;
        int accountsChecked = 0;
        std::vector<std::string> mismatches;  // one line per account whose totals differ
        std::string firstFailure;             // the first skeld that was not accepted
    };

    explicit SkeldLoad(Settings settings) : settings_(std::move(settings)) {}

    Report Run();

private:
    struct Account {
        std::string userId;
        std::string token;
        std::int64_t keys = 0;
        std::int64_t clicks = 0;
        bool uncertain = false;  // a request went unanswered: the server may have counted it
        std::size_t sent = 0;    // skelds sent, to pick the next server in turn
    };
    struct ClientTally {
        std::vector<double> latenciesMs;
        std::int64_t accepted = 0, refused = 0, unanswered = 0;
        std::string error;
    };

    std::string Register(int index, Account& account) const;
    // One skeld through each server, so that every process has checked the password once.
    std::string WarmUp(Account& account) const;
    void RunClient(int client, std::chrono::steady_clock::time_point until, ClientTally& tally);
    void CheckTotals(Report& report);

    Settings settings_;
    std::string runTag_;
    std::vector<Account> accounts_;
};
