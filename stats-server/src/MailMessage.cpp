#include "MailMessage.h"

#include <cstdio>
#include <ctime>

namespace {

std::string Date(std::int64_t now) {
    const std::time_t time = static_cast<std::time_t>(now);
    std::tm utc = {};
    gmtime_r(&time, &utc);
    char text[64];
    // The names are the format's own, not the locale's.
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[utc.tm_wday],
                  utc.tm_mday, kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min,
                  utc.tm_sec);
    return text;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        if (c != '\r') {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string MailMessage::Text(const std::string& from, const std::string& to,
                              const std::string& subject, const std::string& body,
                              std::int64_t now) {
    return "Date: " + Date(now) + "\r\nFrom: " + from + "\r\nTo: " + to +
           "\r\nSubject: " + subject +
           "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n"
           "Content-Transfer-Encoding: 8bit\r\n\r\n" +
           WithCrLf(body);
}
