#pragma once

#include <cstdint>
#include <string>

#include "AccountDatabase.h"
#include "LoginGuard.h"
#include "MailOutbox.h"
#include "PasswordHasher.h"
#include "ports/Clock.h"

// What the server was told on its command line that changes its answers.
struct ServerSettings {
    std::string newestVersion = "1.7.1";  // the check_version answer
    std::int64_t throttleSeconds = 0;     // minimum time between two skelds of one computer
    std::string publicUrl;                // start of the links in the server's e-mail
    bool sendsMail = false;               // through a mail server, rather than into the outbox
    LoginLimits logins;
};

// Everything an action needs besides the request.
struct ActionContext {
    AccountDatabase& database;
    const PasswordHasher& hasher;
    const Clock& clock;
    MailOutbox& mail;
    const ServerSettings& settings;
    LoginGuard& logins;
};

// The HTTP answer to one request to /server.php.
struct ActionReply {
    int httpStatus = 200;
    std::string body;
};
