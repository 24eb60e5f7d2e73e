#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "server/ExchangeTimeouts.h"
#include "server/ServerAddress.h"

struct Preferences;
class UserPort;

// The HTTP exchange with the statistics server: holds the form being built and posts it to
// "/server.php", answering the reply body (status 200) or "error" (anything else). Field
// names and values travel encoded with CQuickCrypt, so the body needs no percent-escaping.
//
// Built on libcurl's easy interface. curl_global_init(CURL_GLOBAL_DEFAULT) must have been
// called once before the first PostForm, and curl_global_cleanup only after the last: that is
// the program's start-up and shut-down job (desktop program, command-line tool, test main),
// because neither is thread-safe.
//
// One object serves one request and is used by one thread at a time; PostForm blocks until
// the exchange is over.
class CWebGrab {
public:
    static constexpr const char* kClientVersion = "1.7.1";
    // The protocol's replies are a few hundred bytes: a longer one is not a reply of ours.
    static constexpr std::size_t kMaxReplyBytes = 1024 * 1024;

    // `preferences` is read at the time of a failure, for ShowNoPopups.
    CWebGrab(UserPort& user, const Preferences& preferences, ServerAddress server);

    void ClearForm() { formBody_.clear(); }
    // Appends "&" (unless the body is empty), encode(name), "=", encode(value).
    void AddFormField(std::string_view name, std::string_view value);
    // Appends client_version, posts the form and returns the reply body up to its first NUL,
    // or "error" for any status other than 200 and for any failure of the exchange: a time-out
    // or a body longer than kMaxReplyBytes included. A failure also shows the
    // "Connection Error" balloon unless ShowNoPopups is set. The form is left as it is.
    std::string PostForm();

    // Routes the exchanges through this proxy ("host:port"), bypassing no host; non-zero
    // `authentication` hands the user name and password to it. Without this call the proxy
    // settings of the environment apply (http_proxy, all_proxy, no_proxy).
    void SetProxy(const std::string& host, std::int32_t port, std::int32_t authentication,
                  const std::string& user, const std::string& password);

    // How long an exchange may wait without receiving any data once the request is on its
    // way; 0 waits for ever. 10 seconds unless a test shortens it.
    void SetReceiveTimeout(std::uint32_t milliseconds) { timeouts_.Receive = milliseconds; }
    // All three time-outs at once.
    void SetTimeouts(const ExchangeTimeouts& timeouts) { timeouts_ = timeouts; }

    const std::string& FormBody() const { return formBody_; }
    bool UsesProxy() const { return useProxy_; }
    bool ProxyCredentialsGiven() const { return proxyCredentialsGiven_; }

private:
    std::string ProxyString() const;
    std::string Fail(const std::string& reason);

    UserPort& user_;
    const Preferences& preferences_;
    ServerAddress server_;

    ExchangeTimeouts timeouts_;
    std::int32_t proxyPort_ = 0;
    std::string proxyHost_;
    std::string formBody_;
    bool useProxy_ = false;
    std::int32_t proxyAuthentication_ = 0;
    bool proxyCredentialsGiven_ = false;
    std::string proxyPassword_;
    std::string proxyUser_;
};
