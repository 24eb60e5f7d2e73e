// kestrovin-skeld-load: skelds per second, latency and exact totals of the reference server
// under many concurrent clients. Without --server it starts the server itself, in this
// process, on a free loopback port with a database in a temporary folder (or --db).
#include <algorithm>
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
#include "ports/Clock.h"
#include "support/TempFolder.h"

namespace {

constexpr const char* kUsage =
    "Usage: kestrovin-skeld-load [--accounts N] [--clients M] [--seconds S]\n"
    "                            [--server HOST:PORT[,HOST:PORT...] |\n"
    "                             [--db LOCATION] [--no-credential-cache]]\n"
    "  --accounts N            accounts registered, at least M (default 50)\n"
    "  --clients M             concurrent clients (default 50)\n"
    "  --seconds S             how long the clients skeld (default 10)\n"
    "  --server HOST:PORT,...  running servers (of one database), sent to in turn; otherwise\n"
    "                          one is started in this process\n"
    "  --db LOCATION           the started server's database: a SQLite file or a\n"
    "                          postgresql:// URL (default: a file in a temporary folder)\n"
    "  --no-credential-cache   the started server checks every password with PBKDF2\n"
    "  --help                  show this text\n";

struct Options {
    SkeldLoad::Settings load;
    std::string server;
    std::string database;
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
        if (name == "--db") {
            options.database = value;
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
        if (options.noCache || !options.database.empty()) {
            return std::nullopt;
        }
        std::size_t start = 0;
        while (start <= options.server.size()) {
            const std::size_t comma =
                std::min(options.server.find(',', start), options.server.size());
            const std::string address = options.server.substr(start, comma - start);
            const std::size_t colon = address.rfind(':');
            const auto port = colon == std::string::npos
                                  ? std::nullopt
                                  : PositiveNumber(address.substr(colon + 1));
            if (!port) {
                return std::nullopt;
            }
            options.load.servers.push_back({address.substr(0, colon), *port});
            start = comma + 1;
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (argv[1] == std::string("--help") || argv[1] == std::string("-h"))) {
        std::cout << kUsage;
        return 0;
    }
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
        const std::string location =
            options->database.empty() ? (folder / "stats.sqlite").string() : options->database;
        if (!database.Open(location, error)) {
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
        load.servers = {{"127.0.0.1", server->Port()}};
    }

    std::cout << "Server";
    for (const SkeldLoad::Address& address : load.servers) {
        std::cout << " " << address.host << ":" << address.port;
    }
    const bool postgres = AccountDatabase::IsPostgresUrl(options->database);
    std::cout << (!options->server.empty() ? " (given"
                  : postgres               ? " (PostgreSQL, in this process"
                                           : " (SQLite, in this process")
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
