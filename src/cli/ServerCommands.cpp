#include "cli/ServerCommands.h"

#include <algorithm>
#include <ostream>

#include "cli/CliSession.h"
#include "cli/ConsoleAssistant.h"
#include "persistence/Autostart.h"
#include "platform/linux/UserFolders.h"
#include "platform/linux/XdgAutostart.h"
#include "ports/Clock.h"
#include "server/AccountTakeOver.h"
#include "server/BeginSkeld.h"
#include "server/Communication.h"
#include "text/FormatCount.h"

namespace {

// As the setup assistant's finish: the account becomes the program's, the autostart entry is
// written for the tray program beside this tool, and everything is saved.
int StoreAccount(CliSession& session, const AcceptedAccount& account, std::ostream& out) {
    TakeOverAccount(session.Record, account, SystemClock::Instance().Now());
    XdgAutostart entry(UserFolders::ConfigHome(), session.Folder().ProgramFolder() / "kestrovin",
                       XdgAutostart::ServerFromEnvironment());
    Autostart(entry, session.User()).Set(session.Record.Prefs.LoadAtWinStartup);
    session.SaveAll();
    out << "Account " << account.UserName << " on computer " << account.ComputerName
        << " is set up (user id " << account.UserID << ").\n";
    return 0;
}

// The account as the user named it and the server's results gave it; a registration's results
// have no totals or rank, which stay 0.
AcceptedAccount Accepted(const ServerCommandOptions& options, const Communication& request,
                         const std::string& email) {
    AcceptedAccount account;
    account.UserName = options.User;
    account.ComputerName = options.Computer;
    account.Password = options.Password;
    account.Email = email;
    account.Token = request.TokenResult;
    account.TotalKeys = request.TotalKeysResult;
    account.TotalClicks = request.TotalClicksResult;
    account.UserID = request.UserIdResult;
    account.Rank = request.RankResult;
    return account;
}

int Refused(std::ostream& err, const ConsoleAssistant& assistant, const char* what) {
    err << "kestrovin-cli: " << what;
    if (!assistant.LastStatus.empty()) {
        err << ": " << assistant.LastStatus;
    }
    err << '\n';
    return 1;
}

}  // namespace

int RunRegisterCommand(const DataFolder& dataFolder, const ServerCommandOptions& options,
                       std::ostream& out, std::ostream& err) {
    CliSession session(dataFolder, out, options.Yes);
    if (!session.Lock(err)) {
        return 1;
    }
    ConsoleAssistant assistant(out);
    Communication request(session.Context());
    request.ClearResults();
    request.RegisterAccount(assistant, options.User, options.Computer, options.Password,
                            options.Email);
    if (!assistant.Accepted) {
        return Refused(err, assistant, "the server did not register the account");
    }
    return StoreAccount(session, Accepted(options, request, options.Email), out);
}

int RunLoginCommand(const DataFolder& dataFolder, const ServerCommandOptions& options,
                    std::ostream& out, std::ostream& err) {
    CliSession session(dataFolder, out, options.Yes);
    if (!session.Lock(err)) {
        return 1;
    }
    ConsoleAssistant assistant(out);
    {
        Communication listRequest(session.Context());
        listRequest.ClearResults();
        listRequest.FetchComputerList(assistant, options.User, options.Password);
    }
    const auto& computers = assistant.Computers;
    if (std::find(computers.begin(), computers.end(), options.Computer) == computers.end()) {
        if (computers.empty()) {
            return Refused(err, assistant, "no computer names for this account");
        }
        err << "kestrovin-cli: the account " << options.User << " has no computer named "
            << options.Computer << "; its computers are:";
        for (const std::string& name : computers) {
            err << ' ' << name;
        }
        err << '\n';
        return 1;
    }
    assistant.LastStatus.clear();
    Communication request(session.Context());
    request.ClearResults();
    request.FetchAccountInfo(assistant, options.User, options.Computer, options.Password);
    if (!assistant.Accepted) {
        return Refused(err, assistant, "the server did not accept the login");
    }
    return StoreAccount(session, Accepted(options, request, request.EmailResult), out);
}

int RunSkeldCommand(const DataFolder& dataFolder, const ServerCommandOptions& options,
                    std::ostream& out, std::ostream& err) {
    CliSession session(dataFolder, out, options.Yes);
    if (!session.Lock(err)) {
        return 1;
    }
    if (session.Load() != LoadResult::Loaded) {
        err << "kestrovin-cli: no account is set up (see kestrovin-cli status)\n";
        return 1;
    }
    AccountState& account = session.Record.Account;
    const std::int32_t keys = account.GetUnsentKeys();
    const std::int32_t clicks = account.GetUnsentClicks();
    if (keys < 1 && clicks < 1) {
        out << "Nothing to send: no keys or clicks counted since the last skeld.\n";
        return 0;
    }
    switch (BeginSkeld(session.Context())) {
        case SkeldOutcome::Accepted:
            break;
        case SkeldOutcome::TokenReset:
            // The new token is the only one the server takes now: losing it would meet the
            // same refusal at every later skeld.
            session.SaveAll();
            err << "kestrovin-cli: nothing was sent: the server refused the token. The new "
                   "token is saved; the "
                << FormatCount(keys) << " keys and " << FormatCount(clicks)
                << " clicks that were waiting were dropped with the old one\n";
            return TokenResetExitStatus;
        case SkeldOutcome::NotSent:
        case SkeldOutcome::Failed:
            err << "kestrovin-cli: the skeld did not succeed; the counts stay unsent\n";
            return 1;
    }
    out << "Skelded " << FormatCount(keys) << " keys and " << FormatCount(clicks)
        << " clicks. Account totals: " << FormatCount(account.TotalKeys) << " keys, "
        << FormatCount(account.TotalClicks) << " clicks, rank " << FormatCount(account.Rank)
        << ".\n";
    return 0;
}

int RunCheckVersionCommand(const DataFolder& dataFolder, std::ostream& out, std::ostream& err) {
    CliSession session(dataFolder, out, false);
    if (!session.Lock(err)) {
        return 1;
    }
    session.Load();  // the proxy settings, when there are any
    Communication::ForApplication(session.Context()).CheckVersion(false);
    if (session.User().SawConnectionError()) {
        err << "kestrovin-cli: the statistics server could not be reached\n";
        return 1;
    }
    return 0;
}
