#include "cli/ServerCommands.h"

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>
#include <string_view>

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

// A name as a shell takes it back as one word.
std::string ShellWord(const std::string& text) {
    const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
               std::string_view("._-@+").find(c) != std::string_view::npos;
    });
    if (plain) {
        return text;
    }
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// The way back when the server holds what this computer could not store: a login fetches the
// account's current token and starts the counts afresh.
std::string WritableThenLogIn(const CliSession& session) {
    const AccountState& account = session.Record.Account;
    return "Make sure " + session.SavePlaces() +
           " can be written to, then run: kestrovin-cli login --user " +
           ShellWord(account.UserName) + " --computer " + ShellWord(account.ComputerName);
}

// As the setup assistant's finish: the account becomes the program's, the autostart entry is
// written for the tray program beside this tool, and everything is saved.
int StoreAccount(CliSession& session, const AcceptedAccount& account, std::ostream& out,
                 std::ostream& err) {
    TakeOverAccount(session.Record, account, SystemClock::Instance().Now());
    XdgAutostart entry(UserFolders::ConfigHome(), session.Folder().ProgramFolder() / "kestrovin",
                       XdgAutostart::ServerFromEnvironment());
    Autostart(entry, session.User()).Set(session.Record.Prefs.LoadAtWinStartup);
    if (!session.SaveAll()) {
        err << "kestrovin-cli: the server accepted the account " << account.UserName
            << " on computer " << account.ComputerName << ", but it could not be saved. "
            << WritableThenLogIn(session) << '\n';
        return 1;
    }
    out << "Account " << account.UserName << " on computer " << account.ComputerName
        << " is set up (user id " << account.UserID << ").\n";
    return 0;
}

// After the server gave a new token that could not be stored: the one stored is refused now.
int TokenLost(CliSession& session, const std::string& what, std::ostream& err) {
    err << "kestrovin-cli: " << what
        << " could not be saved: the server now refuses the token stored here. "
        << WritableThenLogIn(session) << " (the counts still stored here are dropped by it)\n";
    return 1;
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
    CliSession session(dataFolder, out, err, options.Yes);
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
    return StoreAccount(session, Accepted(options, request, options.Email), out, err);
}

int RunLoginCommand(const DataFolder& dataFolder, const ServerCommandOptions& options,
                    std::ostream& out, std::ostream& err) {
    CliSession session(dataFolder, out, err, options.Yes);
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
    return StoreAccount(session, Accepted(options, request, request.EmailResult), out, err);
}

int RunSkeldCommand(const DataFolder& dataFolder, const ServerCommandOptions& options,
                    std::ostream& out, std::ostream& err) {
    CliSession session(dataFolder, out, err, options.Yes);
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
    // Nothing is sent that this command could not store the outcome of: the record ends with it.
    switch (BeginSkeld(session.Context(), UnsavedSkeld::Refuse)) {
        case SkeldOutcome::Accepted:
            break;
        case SkeldOutcome::NotSaved:
            err << "kestrovin-cli: nothing was sent: the counts could not be saved first, and "
                   "neither could the new token the server gives for every skeld. Make sure "
                << session.SavePlaces() << " can be written to and try again\n";
            return 1;
        case SkeldOutcome::AcceptedUnsaved:
            return TokenLost(session,
                             "the server took the " + FormatCount(keys) + " keys and " +
                                 FormatCount(clicks) +
                                 " clicks, but the new token it gave for them",
                             err);
        case SkeldOutcome::TokenReset:
            // The new token is the only one the server takes now: losing it would meet the
            // same refusal at every later skeld.
            if (!session.SaveAll()) {
                return TokenLost(session, "the server reset the token, but the new one", err);
            }
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
    CliSession session(dataFolder, out, err, false);
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
