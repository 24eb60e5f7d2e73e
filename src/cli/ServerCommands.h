#pragma once

#include <iosfwd>
#include <string>

class DataFolder;

// The command line of a server command.
struct ServerCommandOptions {
    std::string User;
    std::string Password;
    bool PasswordGiven = false;  // on the command line, rather than asked for
    std::string Email;
    std::string Computer;
    bool Yes = false;  // answer the token-reset question with Yes
};

// "register": a new account with its first computer, stored as the program's account.
int RunRegisterCommand(const DataFolder& dataFolder, const ServerCommandOptions& options,
                       std::ostream& out, std::ostream& err);
// "login": an existing account and one of its computers, stored as the program's account.
int RunLoginCommand(const DataFolder& dataFolder, const ServerCommandOptions& options,
                    std::ostream& out, std::ostream& err);
// The exit status of "skeld" after a token reset: nothing was sent, the new token is saved.
inline constexpr int TokenResetExitStatus = 3;

// "skeld": sends the unsent counts now.
int RunSkeldCommand(const DataFolder& dataFolder, const ServerCommandOptions& options,
                    std::ostream& out, std::ostream& err);
// "check-version": asks the server for the newest client version.
int RunCheckVersionCommand(const DataFolder& dataFolder, std::ostream& out, std::ostream& err);
