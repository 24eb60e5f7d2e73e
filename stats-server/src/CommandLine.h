#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ActionContext.h"
#include "SmtpMailOutbox.h"

// What the command line of kestrovin-stats-server asks for.
struct CommandLineOptions {
    std::filesystem::path database = "kestrovin-stats.sqlite";
    std::string host = "127.0.0.1";
    int port = 80;
    ServerSettings settings;
    SmtpSettings smtp;            // an empty url: no mail server, mail is kept in the outbox folder
    bool stopWithParent = false;  // ends with the process that started it (a session's)
    bool help = false;
};

// Reads "--name value" and "--name=value" options.
class CommandLine {
public:
    struct Result {
        std::optional<CommandLineOptions> options;
        std::string error;  // set when options is empty
    };

    // The arguments without the program name.
    static Result Parse(const std::vector<std::string>& arguments);
    static std::string Usage();
};
