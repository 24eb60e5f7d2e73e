#include <curl/curl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "AccountDatabase.h"
#include "CommandLine.h"
#include "OutboxFolder.h"
#include "PasswordHasher.h"
#include "SmtpMailOutbox.h"
#include "StatsServer.h"
#include "ports/Clock.h"

int main(int argc, char** argv) {
    const CommandLine::Result parsed =
        CommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "kestrovin-stats-server: " << parsed.error << "\n"
                  << "Try kestrovin-stats-server --help.\n";
        return 2;
    }
    const CommandLineOptions& options = *parsed.options;
    if (options.help) {
        std::cout << CommandLine::Usage();
        return 0;
    }

    // Before any thread: libcurl's set-up for the mail server is not thread-safe everywhere.
    curl_global_init(CURL_GLOBAL_DEFAULT);

    // The stop signals are taken by sigwait below, never by a handler: blocked here, before
    // any thread starts, they stay blocked in every thread the server creates.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    if (options.stopWithParent) {
        // The desktop session's manager started it: its end is the session's, and a server
        // left behind would keep the port and the database after the user logged out.
        const pid_t parent = getppid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            return 0;  // the parent ended before the request took hold
        }
    }

    AccountDatabase database;
    std::string error;
    const bool postgres = AccountDatabase::IsPostgresUrl(options.database.string());
    if (!database.Open(options.database, error)) {
        // A database URL may hold a password: it is not repeated.
        std::cerr << "kestrovin-stats-server: cannot open the database "
                  << (postgres ? std::string("at the given URL") : options.database.string())
                  << ": " << error << "\n";
        return 1;
    }
    const PasswordHasher hasher;
    // Beside a database file, or in the current folder for a database elsewhere.
    OutboxFolder outbox(
        postgres ? std::filesystem::absolute("kestrovin-stats-outbox")
                 : OutboxFolder::BesideDatabase(std::filesystem::absolute(options.database)));
    SmtpMailOutbox smtp(options.smtp, outbox);
    MailOutbox& mail = options.smtp.url.empty() ? static_cast<MailOutbox&>(outbox) : smtp;
    StatsServer server(database, hasher, SystemClock::Instance(), mail, options.settings);
    server.ShowOutbox(outbox);
    if (!server.Start(options.host, options.port, error)) {
        std::cerr << "kestrovin-stats-server: " << error << "\n";
        return 1;
    }
    std::cout << "Listening on " << options.host << ":" << server.Port() << "\n";
    if (options.smtp.url.empty()) {
        std::cout << "Sends no mail: messages are kept in " << outbox.Folder().string()
                  << " (on this machine also at /outbox/)" << std::endl;
    } else {
        std::cout << "Sends mail through " << options.smtp.url
                  << "; messages it refuses are kept in " << outbox.Folder().string() << std::endl;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    std::cout << "Stopped." << std::endl;
    return 0;
}
