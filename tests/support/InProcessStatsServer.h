#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "AccountDatabase.h"
#include "MailOutbox.h"
#include "PasswordHasher.h"
#include "StatsServer.h"
#include "support/FixedClock.h"

// The reference statistics server inside the test process, on a free loopback port, with its
// database in a file of the test's. Its mail is kept in memory for the test to read.
class InProcessStatsServer {
public:
    // False with a reason when the database or the port cannot be had.
    bool Start(const std::filesystem::path& databaseFile, std::string& error) {
        if (!database_.Open(databaseFile, error)) {
            return false;
        }
        return Listen(0, error);
    }
    // Stops listening; its port is refused until StartAgain.
    void Stop() { server_.reset(); }
    // After Stop: serves the same database on the same port again.
    bool StartAgain(std::string& error) { return Listen(port_, error); }

    // The port it listens on, or listened on before Stop; 0 before Start.
    int Port() const { return port_; }
    // "127.0.0.1:port", as KESTROVIN_SERVER takes it.
    std::string Address() const { return "127.0.0.1:" + std::to_string(Port()); }
    // The text of the last message the server sent; empty when it sent none.
    std::string LastMailText() const {
        std::scoped_lock lock(mail_.mutex);
        return mail_.lastText;
    }

private:
    bool Listen(int port, std::string& error) {
        server_ =
            std::make_unique<StatsServer>(database_, hasher_, clock_, mail_, ServerSettings{});
        if (!server_->Start("127.0.0.1", port, error)) {
            return false;
        }
        port_ = server_->Port();
        return true;
    }

    class KeptMail final : public MailOutbox {
    public:
        void Send(const std::string&, const std::string&, const std::string& text) override {
            std::scoped_lock lock(mutex);
            lastText = text;
        }
        mutable std::mutex mutex;
        std::string lastText;
    };

    FixedClock clock_;
    KeptMail mail_;
    PasswordHasher hasher_{1000};  // fast enough for a test; the stored format is the same
    AccountDatabase database_;
    std::unique_ptr<StatsServer> server_;  // last, so it stops before what it uses goes
    int port_ = 0;
};
