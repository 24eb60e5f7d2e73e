// kestrovin-cli: the command-line companion of the Kestrovin tray program.
#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <iostream>
#include <map>
#include <string>
#include <string_view>

#include "cli/PasswordSource.h"
#include "cli/ReportCommands.h"
#include "cli/ServerCommands.h"
#include "cli/StatusCommand.h"
#include "persistence/DataFolder.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: kestrovin-cli COMMAND [OPTIONS]\n"
    "\n"
    "The command-line companion of Kestrovin, the keystroke, click and mouse-travel counter.\n"
    "It uses the same settings and data files as the tray program (portable mode when\n"
    "portable.txt lies beside it) and the same statistics server: KESTROVIN_SERVER=host:port,\n"
    "or else the local server scripts/run set up (~/.config/Kestrovin/local-server.conf),\n"
    "or else the built-in one (localhost:80 unless built otherwise, where the service of\n"
    "the kestrovin-stats-server package listens).\n"
    "\n"
    "Commands:\n"
    "  status      show the account, the counts not yet sent and the last known totals, as\n"
    "              last saved (and whether Kestrovin is running); changes no file\n"
    "  register --user NAME --email ADDR --computer NAME\n"
    "              register a new account with its first computer and use it; should it\n"
    "              not be saved, the account exists all the same: use login once the data\n"
    "              folder can be written to\n"
    "  login --user NAME --computer NAME\n"
    "              use an existing account and one of its computers\n"
    "  skeld [--yes]\n"
    "              send the unsent counts now; --yes answers Yes when the server asks to\n"
    "              reset an invalid token (otherwise No); the new token is saved, and\n"
    "              the counts that were waiting are dropped with the old one; nothing is\n"
    "              sent when the counts cannot be saved first\n"
    "  check-version\n"
    "              ask the server whether a newer Kestrovin is available\n"
    "  keys        list the key tally, most frequent first (count, tab, key name)\n"
    "  keys --xml FILE | --html FILE\n"
    "              write the tally as the key-frequency dialog exports it; FILE is a\n"
    "              regular file or a new path (a symbolic link is written through)\n"
    "  template    write Kestrovin.xml in the data folder from Kestrovin.tpl (at most\n"
    "              1 MiB) in the current folder once, as the tray program does every five\n"
    "              minutes\n"
    "  help        show this text (also --help, -h)\n"
    "  --version   show the version\n"
    "\n"
    "register and login ask for the password at a terminal, without showing it (register\n"
    "asks twice); scripts give it in KESTROVIN_PASSWORD or on the first line of standard\n"
    "input. --password PW works too, but then the password shows in the process list and\n"
    "the shell's history.\n"
    "\n"
    "register, login, skeld and check-version refuse to run while the tray program runs.\n"
    "Messages the tray program would show in a window are printed; nothing waits for input\n"
    "but a password.\n"
    "Exit status: 0 on success; 3 when skeld reset the token instead of sending; otherwise\n"
    "non-zero with the reason on standard error.\n";

int UsageError(const std::string& what) {
    std::cerr << "kestrovin-cli: " << what << " (see kestrovin-cli --help)\n";
    return 2;
}

// Reads "--name value" pairs and "--yes"; every name must be one the command takes, and the
// required ones must be there. A problem names options only, never a value: a value may be a
// password.
bool ParseOptions(int argc, char** argv, std::initializer_list<std::string_view> required,
                  std::initializer_list<std::string_view> optional, bool allowYes,
                  ServerCommandOptions& options, std::string& problem) {
    std::map<std::string_view, std::string*> fields{{"--user", &options.User},
                                                    {"--password", &options.Password},
                                                    {"--email", &options.Email},
                                                    {"--computer", &options.Computer}};
    std::map<std::string_view, bool> seen;
    for (int i = 2; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (allowYes && name == "--yes") {
            options.Yes = true;
            continue;
        }
        const bool wanted = std::ranges::find(required, name) != required.end() ||
                            std::ranges::find(optional, name) != optional.end();
        if (!wanted || i + 1 >= argc) {
            problem = wanted                  ? std::string(name) + " needs a value"
                      : name.starts_with("-") ? "unexpected option " + std::string(name)
                                              : "unexpected argument (a value without its option)";
            return false;
        }
        *fields.at(name) = argv[++i];
        seen[name] = true;
        if (name == "--password") {
            // Out of the process list from now on (it was there until this moment).
            std::fill(argv[i], argv[i] + std::char_traits<char>::length(argv[i]), 'x');
            options.PasswordGiven = true;
        }
    }
    for (const std::string_view name : required) {
        if (!seen[name]) {
            problem = "missing " + std::string(name);
            return false;
        }
    }
    return true;
}

// The password of register and login when it was not on the command line.
bool TakePassword(ServerCommandOptions& options, bool newPassword, std::string& problem) {
    if (options.PasswordGiven) {
        std::cerr << "kestrovin-cli: warning: a password given with --password can be read in "
                     "the process list and the shell's history; leave it out to be asked for "
                     "it, or use KESTROVIN_PASSWORD\n";
        return true;
    }
    const auto read =
        PasswordSource::Read(0, std::cerr, std::getenv("KESTROVIN_PASSWORD"), newPassword);
    if (!read.Password) {
        problem = read.Problem;
        return false;
    }
    options.Password = *read.Password;
    return true;
}

// What the user typed, for an error: the command and the option names, never a value.
std::string GivenWithoutValues(int argc, char** argv) {
    std::string given = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string_view word = argv[i];
        given += word.starts_with("-") ? " " + std::string(word) : std::string(" ...");
    }
    return given;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string_view command = argv[1];
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "--version" && argc == 2) {
        std::cout << "kestrovin-cli " KESTROVIN_VERSION "\n";
        return 0;
    }
    const DataFolder folder = DataFolder::FromEnvironment();
    ServerCommandOptions options;
    std::string problem;
    if (command == "status" && argc == 2) {
        return RunStatusCommand(folder, std::cout, std::cerr);
    }
    if (command == "keys" && argc == 2) {
        return RunKeysCommand(folder, KeysOutput::List, "", std::cout, std::cerr);
    }
    if (command == "keys" && argc == 4 &&
        (argv[2] == std::string_view("--xml") || argv[2] == std::string_view("--html"))) {
        const auto output =
            argv[2] == std::string_view("--xml") ? KeysOutput::Xml : KeysOutput::Html;
        return RunKeysCommand(folder, output, argv[3], std::cout, std::cerr);
    }
    if (command == "template" && argc == 2) {
        return RunTemplateCommand(folder, std::cout, std::cerr);
    }
    if (command == "check-version" && argc == 2) {
        return RunCheckVersionCommand(folder, std::cout, std::cerr);
    }
    if (command == "register") {
        if (!ParseOptions(argc, argv, {"--user", "--email", "--computer"}, {"--password"}, false,
                          options, problem)) {
            return UsageError(problem);
        }
        if (!TakePassword(options, true, problem)) {
            return UsageError(problem);
        }
        return RunRegisterCommand(folder, options, std::cout, std::cerr);
    }
    if (command == "login") {
        if (!ParseOptions(argc, argv, {"--user", "--computer"}, {"--password"}, false, options,
                          problem)) {
            return UsageError(problem);
        }
        if (!TakePassword(options, false, problem)) {
            return UsageError(problem);
        }
        return RunLoginCommand(folder, options, std::cout, std::cerr);
    }
    if (command == "skeld") {
        if (!ParseOptions(argc, argv, {}, {}, true, options, problem)) {
            return UsageError(problem);
        }
        return RunSkeldCommand(folder, options, std::cout, std::cerr);
    }
    return UsageError("unknown command or arguments: " + GivenWithoutValues(argc, argv));
}
