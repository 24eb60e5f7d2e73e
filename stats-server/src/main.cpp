#include <pthread.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "AccountDatabase.h"
#include "CommandLine.h"
#include "PasswordHasher.h"
#include "PrintedMailOutbox.h"
#include "StatsServer.h"
#include "platform/Clock.h"

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

    // The stop signals are taken by sigwait below, never by a handler: blocked here, before
    // any thread starts, they stay blocked in every thread the server creates.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    AccountDatabase database;
    std::string error;
    if (!database.Open(options.database, error)) {
        std::cerr << "kestrovin-stats-server: cannot open the database " << options.database << ": "
                  << error << "\n";
        return 1;
    }
    const PasswordHasher hasher;
    PrintedMailOutbox mail(std::cout);
    StatsServer server(database, hasher, SystemClock::Instance(), mail, options.settings);
    if (!server.Start(options.host, options.port, error)) {
        std::cerr << "kestrovin-stats-server: " << error << "\n";
        return 1;
    }
    std::cout << "Listening on " << options.host << ":" << server.Port() << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    std::cout << "Stopped." << std::endl;
    return 0;
}
