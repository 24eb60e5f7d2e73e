#pragma once

#include <cstdint>
#include <string>

// One e-mail as it is stored and sent: Internet message headers, a blank line and the text,
// lines ended with CR LF.
class MailMessage {
public:
    // `now`: seconds since 1970 for the Date header.
    static std::string Text(const std::string& from, const std::string& to,
                            const std::string& subject, const std::string& body, std::int64_t now);
};
