#include "server/WebGrab.h"

#include <curl/curl.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "counting/Preferences.h"
#include "counting/QuickCrypt.h"
#include "ports/UserPort.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::size_t kMaxErrorText = 259;

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

// What the callbacks of one exchange share.
struct Exchange {
    std::uint32_t receiveTimeout = 0;
    bool requestSent = false;  // the receive clock runs from here on
    SteadyClock::time_point lastData;
    bool timedOut = false;
    std::size_t bodyBytes = 0;  // of the current response, as received
    bool ended = false;         // a NUL has ended the reply text
    bool tooLong = false;
    std::string reply;

    void DataArrived() { lastData = SteadyClock::now(); }
};

// The connection is up and the request is about to go out: from now on the exchange waits for
// data, so the receive clock starts. The connection phase has a time-out of its own.
int OnRequestAboutToBeSent(void* data, char*, char*, int, int) {
    auto& exchange = *static_cast<Exchange*>(data);
    exchange.requestSent = true;
    exchange.DataArrived();
    return CURL_PREREQFUNC_OK;
}

std::size_t OnHeaderLine(char* buffer, std::size_t size, std::size_t count, void* data) {
    auto& exchange = *static_cast<Exchange*>(data);
    exchange.DataArrived();
    // A status line starts a new response (after "100 Continue", or after a proxy's demand
    // for credentials that libcurl answers itself): only the last response's body counts.
    if (std::string_view(buffer, size * count).starts_with("HTTP/")) {
        exchange.reply.clear();
        exchange.bodyBytes = 0;
        exchange.ended = false;
    }
    return size * count;
}

std::size_t OnBodyPiece(char* buffer, std::size_t size, std::size_t count, void* data) {
    auto& exchange = *static_cast<Exchange*>(data);
    exchange.DataArrived();
    const std::size_t length = size * count;
    exchange.bodyBytes += length;
    if (exchange.bodyBytes > CWebGrab::kMaxReplyBytes) {
        exchange.tooLong = true;
        return 0;  // stops the exchange
    }
    if (exchange.ended) {
        return length;
    }
    // The reply is text: the first NUL ends it, however the data was split on its way.
    const void* nul = std::memchr(buffer, '\0', length);
    exchange.ended = nul != nullptr;
    const std::size_t taken =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : length;
    exchange.reply.append(buffer, taken);
    return length;
}

// Called at least about once a second while the exchange runs.
int OnProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& exchange = *static_cast<Exchange*>(data);
    if (!exchange.requestSent || exchange.receiveTimeout == 0) {
        return 0;
    }
    const auto quiet = SteadyClock::now() - exchange.lastData;
    if (quiet >= std::chrono::milliseconds(exchange.receiveTimeout)) {
        exchange.timedOut = true;
        return 1;
    }
    return 0;
}

HeaderList RequestHeaders() {
    const std::string userAgent =
        std::string("User-Agent: Kestrovin for Windows ") + CWebGrab::kClientVersion;
    curl_slist* list = nullptr;
    for (const char* header :
         {"Accept: text/*", userAgent.c_str(), "Content-Type: application/x-www-form-urlencoded",
          // The request goes out whole, never waiting for "100 Continue".
          "Expect:"}) {
        curl_slist* longer = curl_slist_append(list, header);
        if (longer == nullptr) {
            curl_slist_free_all(list);
            return nullptr;
        }
        list = longer;
    }
    return HeaderList(list);
}

std::string Encoded(std::string_view text) {
    CQuickCrypt crypt;
    crypt.SetPlainText(text);
    return crypt.Encode();
}

}  // namespace

CWebGrab::CWebGrab(UserPort& user, const Preferences& preferences, ServerAddress server)
    : user_(user), preferences_(preferences), server_(std::move(server)) {}

void CWebGrab::AddFormField(std::string_view name, std::string_view value) {
    if (!formBody_.empty()) {
        formBody_ += '&';
    }
    formBody_ += Encoded(name);
    formBody_ += '=';
    formBody_ += Encoded(value);
}

void CWebGrab::SetProxy(const std::string& host, std::int32_t port, std::int32_t authentication,
                        const std::string& user, const std::string& password) {
    proxyHost_ = host;
    proxyPort_ = port;
    proxyAuthentication_ = authentication;
    proxyUser_ = user;
    proxyPassword_ = password;
    useProxy_ = true;
}

std::string CWebGrab::ProxyString() const {
    const bool ipv6 = proxyHost_.find(':') != std::string::npos && proxyHost_.front() != '[';
    const std::string host = ipv6 ? "[" + proxyHost_ + "]" : proxyHost_;
    return host + ":" + std::to_string(proxyPort_);
}

std::string CWebGrab::PostForm() {
    AddFormField("client_version", kClientVersion);

    CurlHandle curl(curl_easy_init());
    HeaderList headers = RequestHeaders();
    if (!curl || !headers) {
        return Fail(curl_easy_strerror(CURLE_OUT_OF_MEMORY));
    }
    CURL* handle = curl.get();
    char errorText[CURL_ERROR_SIZE] = {};
    Exchange exchange;
    exchange.receiveTimeout = timeouts_.Receive;
    const std::string url = server_.PostUrl();
    const std::string proxy = ProxyString();

    // A failure to set an option is not fatal: the exchange goes ahead without it.
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.Connect));
    // The receive time-out only measures silence: this bounds a server that trickles.
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts_.Whole));
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, formBody_.c_str());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(formBody_.size()));
    curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, OnRequestAboutToBeSent);
    curl_easy_setopt(handle, CURLOPT_PREREQDATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, OnHeaderLine);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBodyPiece);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    if (useProxy_) {
        curl_easy_setopt(handle, CURLOPT_PROXY, proxy.c_str());
        curl_easy_setopt(handle, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
        // The configured proxy takes every request, whatever no_proxy says.
        curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
        if (proxyAuthentication_ != 0) {
            // libcurl remembers no credentials between exchanges, so every exchange of this
            // object gets them, not only the first.
            proxyCredentialsGiven_ = true;
            curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, proxyUser_.c_str());
            curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD, proxyPassword_.c_str());
            curl_easy_setopt(handle, CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_ANY));
        }
    }

    const SteadyClock::time_point started = SteadyClock::now();
    const CURLcode result = curl_easy_perform(handle);
    const bool wholeTimeUsed =
        timeouts_.Whole != 0 &&
        SteadyClock::now() - started >= std::chrono::milliseconds(timeouts_.Whole);

    // The body of another status has been read and dropped rather than cut off: stopping at
    // the headers would also stop libcurl from answering a proxy's demand for credentials.
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 200 && status != 200) {
        return "error";
    }
    if (result != CURLE_OK) {
        if (exchange.timedOut) {
            return Fail("Operation timed out: no data received for " +
                        std::to_string(timeouts_.Receive) + " milliseconds");
        }
        if (result == CURLE_OPERATION_TIMEDOUT && wholeTimeUsed) {
            return Fail("Operation timed out: the exchange took longer than " +
                        std::to_string(timeouts_.Whole) + " milliseconds");
        }
        if (exchange.tooLong) {
            return Fail("The server's reply is longer than " + std::to_string(kMaxReplyBytes) +
                        " bytes; the rest was not read");
        }
        return Fail(errorText[0] != '\0' ? errorText : curl_easy_strerror(result));
    }
    // A reply whose status could not be read counts as 200.
    return std::move(exchange.reply);
}

std::string CWebGrab::Fail(const std::string& reason) {
    if (preferences_.ShowNoPopups == 0) {
        std::string text = reason;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        user_.ShowBalloon("Connection Error", text.substr(0, kMaxErrorText));
    }
    return "error";
}
