#pragma once

#include <optional>
#include <ostream>
#include <string>

// Where kestrovin-cli takes a password from when none is on its command line, so that it shows
// neither in the process list nor in the shell's history: the environment variable
// KESTROVIN_PASSWORD for scripts; else, at a terminal, typed without echo; else the first line
// of standard input.
class PasswordSource {
public:
    struct Result {
        std::optional<std::string> Password;
        std::string Problem;  // when there is no password: why, never the text that was typed
    };

    // `input`: the descriptor to read (standard input); `prompts`: where a terminal's prompts
    // go; `fromEnvironment`: the variable's value, nullptr when unset. `newPassword`: a
    // terminal asks twice and the two must match.
    static Result Read(int input, std::ostream& prompts, const char* fromEnvironment,
                       bool newPassword);

    static constexpr std::size_t kMaxLength = 1024;

private:
    static std::optional<std::string> ReadLine(int input);
};
