// kestrovin-skeld-load: skelds per second, latency and exact totals of the reference server
// under many concurrent clients. Without --server it starts the server itself, in this
// process, on a free loopback port with a database in a temporary folder.
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AccountDatabase.h"
#include "NumberText.h"
#include "OutboxFolder.h"
#include "PasswordHasher.h"
#include "SkeldLoad.h"
#include "StatsServer.h"
#include "platform/Clock.h"
#include "support/TempFolder.h"

namespace {

constexpr const char* kUsage =
    "Usage: kestrovin-skeld-load [--accounts N] [--clients M] [--seconds S]\n"
    "                            [--server HOST:PORT | --no-credential-cache]\n"
    "  --accounts N            accounts registered, at least M (default 50)\n"
    "  --clients M             concurrent clients (default 50)\n"
    "  --seconds S             how long the clients skeld (default 10)\n"
    "  --server HOST:PORT      a running server; otherwise one is started in this process\n"
    "  --no-credential-cache   the started server checks every password with PBKDF2\n";

struct Options {
    SkeldLoad::Settings load;
    std::string server;
    bool noCache = false;
};

std::optional<int> PositiveNumber(const std::string& text) {
    const auto value = NumberText::ParseInteger(text);
    if (!value || *value < 1 || *value > 1'000'000) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

std::optional<Options> Parse(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--no-credential-cache") {
            options.noCache = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (name == "--server") {
            options.server = value;
            continue;
        }
        const auto number = PositiveNumber(value);
        if (!number) {
            return std::nullopt;
        }
        if (name == "--accounts") {
            options.load.accounts = *number;
        } else if (name == "--clients") {
            options.load.clients = *number;
        } else if (name == "--seconds") {
            options.load.duration = std::chrono::seconds(*number);
        } else {
            return std::nullopt;
        }
    }
    if (!options.server.empty()) {
        const std::size_t colon = options.server.rfind(':');
        const auto port = colon == std::string::npos
                              ? std::nullopt
                              : PositiveNumber(options.server.substr(colon + 1));
        if (!port || options.noCache) {
            return std::nullopt;
        }
        options.load.host = options.server.substr(0, colon);
        options.load.port = *port;
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }
    SkeldLoad::Settings load = options->load;

    // The server of this run, when none was given: the same parts as the program's own.
    TempFolder folder;
    AccountDatabase database;
    const PasswordHasher hasher;
    OutboxFolder outbox(folder / "outbox");
    std::unique_ptr<StatsServer> server;
    if (options->server.empty()) {
        std::string error;
        if (!database.Open(folder / "stats.sqlite", error)) {
            std::cerr << "kestrovin-skeld-load: cannot open the database: " << error << "\n";
            return 1;
        }
        ServerSettings settings;
        if (options->noCache) {
            settings.logins.cacheLifetime = std::chrono::seconds::zero();
        }
        server = std::make_unique<StatsServer>(database, hasher, SystemClock::Instance(), outbox,
                                               settings);
        if (!server->Start("127.0.0.1", 0, error)) {
            std::cerr << "kestrovin-skeld-load: cannot start the server: " << error << "\n";
            return 1;
        }
        load.host = "127.0.0.1";
        load.port = server->Port();
    }

    std::cout << "Server " << load.host << ":" << load.port
              << (options->server.empty() ? " (SQLite, in this process" : " (given")
              << (options->noCache ? ", no credential cache)" : ")") << "; " << load.accounts
              << " accounts, " << load.clients << " clients, " << load.duration.count() << " s\n";
    const SkeldLoad::Report report = SkeldLoad(load).Run();
    if (server) {
        server->Stop();
    }
    if (!report.error.empty()) {
        std::cerr << "kestrovin-skeld-load: " << report.error << "\n";
        return 1;
    }
    std::printf("accepted %lld skelds in %.1f s: %.1f skelds/s\n",
                static_cast<long long>(report.accepted), report.seconds,
                static_cast<double>(report.accepted) / report.seconds);
    std::printf("latency p50 %.1f ms, p90 %.1f ms, p99 %.1f ms\n", report.p50Ms, report.p90Ms,
                report.p99Ms);
    std::printf("refused %lld, unanswered %lld; totals checked for %d accounts: %s\n",
                static_cast<long long>(report.refused), static_cast<long long>(report.unanswered),
                report.accountsChecked, report.mismatches.empty() ? "all exact" : "MISMATCH");
    if (!report.firstFailure.empty()) {
        std::printf("first skeld not accepted: \"%s\"\n", report.firstFailure.c_str());
    }
    for (const std::string& line : report.mismatches) {
        std::printf("  %s\n", line.c_str());
    }
    return report.mismatches.empty() && report.refused == 0 && report.unanswered == 0 ? 0 : 1;
}
