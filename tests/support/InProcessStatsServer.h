#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "AccountDatabase.h"
#include "MailOutbox.h"
#include "PasswordHasher.h"
#include "StatsServer.h"
#include "support/FixedClock.h"

// The reference statistics server inside the test process, on a free loopback port, with its
// database in a file of the test's. Its mail goes nowhere.
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

    class DroppedMail final : public MailOutbox {
    public:
        void Send(const std::string&, const std::string&, const std::string&) override {}
    };

    FixedClock clock_;
    DroppedMail mail_;
    PasswordHasher hasher_{1000};  // fast enough for a test; the stored format is the same
    AccountDatabase database_;
    std::unique_ptr<StatsServer> server_;  // last, so it stops before what it uses goes
    int port_ = 0;
};
