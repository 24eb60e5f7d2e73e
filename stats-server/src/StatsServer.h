#pragma once

#include <httplib.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>

#include "AccountDatabase.h"
#include "ActionContext.h"
#include "ActionDispatcher.h"
#include "MailOutbox.h"
#include "PasswordHasher.h"
#include "WebPages.h"
#include "platform/Clock.h"

// The HTTP side of the server: /server.php for the client's requests and the web pages, served
// by a pool of threads. The database, hasher, clock and outbox belong to the caller and must
// outlive the server.
class StatsServer {
public:
    static constexpr std::size_t kMaxBodyBytes = 1 << 20;

    StatsServer(AccountDatabase& database, const PasswordHasher& hasher, const Clock& clock,
                MailOutbox& mail, ServerSettings settings);
    ~StatsServer();
    StatsServer(const StatsServer&) = delete;
    StatsServer& operator=(const StatsServer&) = delete;

    // Listens on host:port (port 0: any free port) and serves on threads of its own until
    // Stop. Returns false with a reason when the address cannot be used.
    bool Start(const std::string& host, int port, std::string& error);
    // The port it listens on, once started.
    int Port() const { return port_; }
    // Stops listening, lets running requests finish and returns; safe to call twice.
    void Stop();

private:
    void AddRoutes();

    ServerSettings settings_;
    ActionContext context_;
    ActionDispatcher dispatcher_;
    WebPages pages_;
    httplib::Server http_;
    std::jthread listener_;
    std::atomic<bool> listenerDone_ = false;
    int port_ = 0;
};
