#pragma once

#include <httplib.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <thread>

#include "AccountDatabase.h"
#include "ActionContext.h"
#include "ActionDispatcher.h"
#include "MailOutbox.h"
#include "OutboxFolder.h"
#include "PasswordHasher.h"
#include "PasswordPages.h"
#include "WebPages.h"
#include "ports/Clock.h"

// The HTTP side of the server: /server.php for the client's requests and the web pages, served
// by a pool of threads. The database, hasher, clock and outbox belong to the caller and must
// outlive the server.
class StatsServer {
public:
    static constexpr std::size_t kMaxBodyBytes = 1 << 20;
    // Clients send a whole request at once; one that falls silent for longer is dropped, so a
    // crowd of slow senders cannot keep the worker threads from everyone else. Idle kept-alive
    // connections are closed as soon, and none serves more than a handful of requests.
    static constexpr int kReadTimeoutSeconds = 2;
    static constexpr int kWriteTimeoutSeconds = 5;
    static constexpr int kKeepAliveSeconds = 2;
    static constexpr std::size_t kKeepAliveMaxRequests = 10;
    // Requests mostly wait for the database lock or the network, not the processor.
    static constexpr std::size_t kWorkerThreads = 32;

    StatsServer(AccountDatabase& database, const PasswordHasher& hasher, const Clock& clock,
                MailOutbox& mail, ServerSettings settings);
    ~StatsServer();
    StatsServer(const StatsServer&) = delete;
    StatsServer& operator=(const StatsServer&) = delete;

    // Listens on host:port (port 0: any free port) and serves on threads of its own until
    // Stop. Returns false with a reason when the address cannot be used.
    bool Start(const std::string& host, int port, std::string& error);
    // Serves the messages kept in `outbox` at /outbox/, to clients on this machine only. Call
    // before Start; the folder must outlive the server.
    void ShowOutbox(const OutboxFolder& outbox);
    // Whether a peer address (as the library reports it) is this machine's loopback.
    static bool IsLoopbackPeer(std::string_view address);

    // The port it listens on, once started.
    int Port() const { return port_; }
    // Stops listening, lets running requests finish and returns; safe to call twice.
    void Stop();

private:
    void AddRoutes();

    ServerSettings settings_;
    LoginGuard logins_;
    ActionContext context_;
    ActionDispatcher dispatcher_;
    WebPages pages_;
    PasswordPages passwordPages_;
    httplib::Server http_;
    std::jthread listener_;
    std::atomic<bool> listenerDone_ = false;
    int port_ = 0;
};
