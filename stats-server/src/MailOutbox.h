#pragma once

#include <string>

// Where the server's e-mail goes (password-reset confirmations).
class MailOutbox {
public:
    virtual ~MailOutbox() = default;
    virtual void Send(const std::string& to, const std::string& subject,
                      const std::string& body) = 0;
};
