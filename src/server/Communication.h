#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "server/RequestContext.h"
#include "server/WebGrab.h"

class SetupAssistantPort;

// One server request: a plain object made for a single request, configured (proxy, skeld
// snapshot), run once with one of the request operations and then dropped. Every operation runs
// on the caller's thread, blocks for the exchange, and reports by itself: message boxes,
// balloons, the logs, the account record, or the result members the caller reads afterwards.
class Communication {
public:
    explicit Communication(const RequestContext& context);
    Communication(Communication&&) = default;  // handed out by ForApplication
    Communication(const Communication&) = delete;
    Communication& operator=(const Communication&) = delete;

    // A request object for the application's own triggers: with the preferences' proxy when
    // ProxyUse is set and a host is given. The setup assistant applies its own proxy details
    // instead.
    static Communication ForApplication(const RequestContext& context);

    void SetProxy(const std::string& host, std::int32_t port, std::int32_t authentication,
                  const std::string& user, const std::string& password);
    // The snapshot and result numbers to 0, the result strings to empty.
    void ClearResults();

    // Uploads the snapshot; on success the totals, rank and token from the reply replace the
    // account's and the unsent counters are emptied. Every outcome ends with EndSkeld.
    void SendSkeld();
    // Asks for a fresh token; on success the unsent counters are emptied.
    void ResetToken();
    // Asks the server to reset the account's password to `newPassword`.
    void ResetPassword(const std::string& newPassword);
    // Sends the key-frequency XML, from which the server draws a keyboard image.
    void SendKeyboardImage(const std::string& xml);
    // Asks for the newest released version. Silent: a newer one is announced in a balloon and
    // nothing else is shown; otherwise the user is told the outcome.
    void CheckVersion(bool silent);

    // The setup assistant's requests: they report into `assistant` and leave the account's
    // details in the result members. A failed connection or a reply they do not know leaves
    // RequestFailedStatus in the assistant's status line, so the user can try again.
    void FetchComputerList(SetupAssistantPort& assistant, const std::string& accountName,
                           const std::string& password);
    void FetchAccountInfo(SetupAssistantPort& assistant, const std::string& accountName,
                          const std::string& computerName, const std::string& password);
    void RegisterAccount(SetupAssistantPort& assistant, const std::string& accountName,
                         const std::string& computerName, const std::string& password,
                         const std::string& email);

    static constexpr const char* RequestFailedStatus = "Request failed, please try again.";

    CWebGrab& Transport() { return transport_; }
    // What carries the posted form to the server and brings back the reply: the transport's
    // HTTP exchange unless replaced here (the fuzzers feed replies straight to the requests).
    using Exchange = std::function<std::string(CWebGrab& transport)>;
    void SetExchange(Exchange exchange) { exchange_ = std::move(exchange); }
    // Whether SendSkeld got the server's acceptance.
    bool SkeldSucceeded() const { return skeldSucceeded_; }
    // Whether the record was saved with what an accepted skeld brought (the new token).
    bool SavedAfterSkeld() const { return savedAfterSkeld_; }
    // Whether ResetToken got a new token.
    bool TokenWasReset() const { return tokenWasReset_; }

    // The skeld snapshot, taken when the skeld starts.
    std::int32_t KeysToSend = 0;
    std::int32_t ClicksToSend = 0;
    double MilesToSend = 0.0;  // UnsentMetres in miles
    // What the account requests found.
    std::string EmailResult;
    std::string TokenResult;
    std::int32_t TotalKeysResult = 0;
    std::int32_t TotalClicksResult = 0;
    std::int32_t UserIdResult = 0;
    std::int32_t RankResult = 0;

private:
    std::string Post();
    void SkeldAccepted(const std::string& reply);
    void SkeldFailed(const std::string& message, const std::string& logLine);
    // Writes the debug-log line, then shows the message box.
    void Report(const std::string& logLine, const std::string& message);
    void UnknownReply(const std::string& reply);
    void UnknownAssistantReply(SetupAssistantPort& assistant, const std::string& reply);
    // A "200 MSG" reply: the server's own text in the status line.
    void AssistantServerMessage(SetupAssistantPort& assistant, const std::string& reply);
    void Debug(const std::string& line) const;
    bool ShowNoPopups() const;
    std::string AccountDoesNotExistText() const;
    // For a request with the stored password: what the user can do about it.
    std::string WrongStoredPasswordText() const;

    RequestContext context_;
    CWebGrab transport_;
    Exchange exchange_;
    bool skeldSucceeded_ = false;
    bool savedAfterSkeld_ = false;
    bool tokenWasReset_ = false;
};
