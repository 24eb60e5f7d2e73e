#pragma once

#include <mutex>
#include <ostream>

#include "MailOutbox.h"

// The server has no mail transport of its own: it prints each message, framed, to a stream
// (standard output), from where the operator forwards it or a mail command picks it up.
class PrintedMailOutbox final : public MailOutbox {
public:
    explicit PrintedMailOutbox(std::ostream& out) : out_(out) {}
    void Send(const std::string& to, const std::string& subject, const std::string& body) override;

private:
    std::mutex mutex_;
    std::ostream& out_;
};
