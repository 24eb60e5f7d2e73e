#include "SmtpMailOutbox.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>

#include "MailMessage.h"

namespace {

constexpr long kConnectTimeoutSeconds = 20;
constexpr long kTimeoutSeconds = 60;

struct Upload {
    const std::string& text;
    std::size_t sent = 0;
};

std::size_t ReadUpload(char* buffer, std::size_t size, std::size_t count, void* data) {
    Upload& upload = *static_cast<Upload*>(data);
    const std::size_t length = std::min(size * count, upload.text.size() - upload.sent);
    std::memcpy(buffer, upload.text.data() + upload.sent, length);
    upload.sent += length;
    return length;
}

}  // namespace

void SmtpMailOutbox::Send(const std::string& to, const std::string& subject,
                          const std::string& body) {
    std::string error;
    if (!Deliver(to, subject, body, error)) {
        std::cerr << "kestrovin-stats-server: the mail server did not take the message to " << to
                  << " (" << error << "); it is kept in the outbox" << std::endl;
        fallback_.Send(to, subject, body);
    }
}

bool SmtpMailOutbox::Deliver(const std::string& to, const std::string& subject,
                             const std::string& body, std::string& error) const {
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                   curl_easy_cleanup);
    if (!curl) {
        error = "libcurl could not start";
        return false;
    }
    const std::string text =
        MailMessage::Text(settings_.from, to, subject, body, std::time(nullptr));
    Upload upload{text};
    const std::string from = "<" + settings_.from + ">";
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> recipients(
        curl_slist_append(nullptr, ("<" + to + ">").c_str()), curl_slist_free_all);
    char reason[CURL_ERROR_SIZE] = "";
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, settings_.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(handle, CURLOPT_READDATA, &upload);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, kTimeoutSeconds);
    if (!settings_.user.empty()) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, settings_.user.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, settings_.password.c_str());
    }
    // A password never travels in the clear: with a log-in, smtp:// must switch to TLS;
    // without one, TLS is used whenever the mail server offers it.
    curl_easy_setopt(handle, CURLOPT_USE_SSL,
                     settings_.user.empty() ? static_cast<long>(CURLUSESSL_TRY)
                                            : static_cast<long>(CURLUSESSL_ALL));
    const CURLcode result = curl_easy_perform(handle);
    if (result != CURLE_OK) {
        error = reason[0] != '\0' ? reason : curl_easy_strerror(result);
        return false;
    }
    return true;
}
