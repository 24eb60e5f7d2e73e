#pragma once

#include <string>

#include "MailOutbox.h"

// Where and how the server hands its mail to a mail server.
struct SmtpSettings {
    std::string url;   // "smtp://host[:port]" (STARTTLS when offered) or "smtps://host[:port]"
    std::string from;  // the sender's address
    std::string user;  // empty: no log-in
    std::string password;
};

// Sends each message through a mail server with libcurl. A message the mail server does not
// take is kept in `fallback` instead, and the failure is said on standard error, so that no
// confirmation link is lost.
class SmtpMailOutbox final : public MailOutbox {
public:
    SmtpMailOutbox(SmtpSettings settings, MailOutbox& fallback)
        : settings_(std::move(settings)), fallback_(fallback) {}

    void Send(const std::string& to, const std::string& subject, const std::string& body) override;

    // Hands one message over; false with libcurl's reason in `error`.
    bool Deliver(const std::string& to, const std::string& subject, const std::string& body,
                 std::string& error) const;

private:
    SmtpSettings settings_;
    MailOutbox& fallback_;
};
