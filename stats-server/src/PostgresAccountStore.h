#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "AccountStore.h"
#include "PostgresConnection.h"

// The accounts in a PostgreSQL database, which several server processes can share: a skeld
// replaces its computer's token only where the token shown is still there, and counts in the
// same statement, so no skeld is lost or counted twice whichever process serves it. Requests
// share a few connections.
class PostgresAccountStore final : public AccountStore {
public:
    // Connects and creates the tables when missing.
    bool Open(const std::string& url, std::string& error);

    Lookup<Account> FindAccount(std::int64_t userId) override;
    Lookup<Account> FindAccountByName(std::string_view name) override;
    Lookup<Computer> FindComputer(std::int64_t userId, std::string_view name) override;
    Lookup<AccountWithComputer> FindAccountWithComputer(std::int64_t userId,
                                                        std::string_view computer) override;
    Lookup<std::vector<std::string>> ComputerNames(std::int64_t userId) override;
    Lookup<Standing> StandingOf(std::int64_t userId) override;
    Registration Register(std::string_view name, std::string_view passwordHash,
                          std::string_view email, std::string_view computer, std::string_view token,
                          std::int64_t now) override;
    AddStatus AddComputer(std::int64_t userId, std::string_view name,
                          std::string_view token) override;
    SkeldOutcome ApplySkeld(const SkeldUpload& upload) override;
    bool ReplaceToken(std::int64_t computerId, std::string_view token) override;
    bool StorePasswordReset(std::int64_t userId, std::string_view code,
                            std::string_view passwordHash, std::string_view sealedPassword,
                            std::int64_t now) override;
    Lookup<std::int64_t> PasswordResetRequested(std::int64_t userId) override;
    Lookup<PendingReset> FindPasswordReset(std::string_view code) override;
    ConfirmStatus ConfirmPasswordReset(std::string_view code, std::int64_t now,
                                       std::int64_t maxAgeSeconds) override;
    bool ChangePassword(std::int64_t userId, std::string_view passwordHash) override;
    bool StoreKeyboardImage(std::string_view name, std::int64_t userId, std::int64_t computerId,
                            std::string_view xml, std::int64_t now, int keepPerAccount) override;
    Lookup<std::string> KeyboardImageXml(std::string_view name) override;

    // Each connection is a server process of PostgreSQL's; requests beyond these wait.
    static constexpr std::size_t kMaxConnections = 8;

private:
    // A connection taken from the pool for one operation, given back when it goes (or
    // dropped, when the server went away, so that the next operation connects afresh).
    class Lease {
    public:
        Lease(PostgresAccountStore& store, std::unique_ptr<PostgresConnection> connection)
            : store_(store), connection_(std::move(connection)) {}
        ~Lease() { store_.GiveBack(std::move(connection_)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        // Null when no connection could be made.
        PostgresConnection* operator->() const { return connection_.get(); }
        PostgresConnection& operator*() const { return *connection_; }
        explicit operator bool() const { return connection_ != nullptr; }

    private:
        PostgresAccountStore& store_;
        std::unique_ptr<PostgresConnection> connection_;
    };

    Lease Take();
    void GiveBack(std::unique_ptr<PostgresConnection> connection);
    Lookup<Standing> StandingWith(PostgresConnection& connection, std::int64_t userId);
    static bool Commit(PostgresConnection& connection);

    std::string url_;
    std::mutex mutex_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<PostgresConnection>> idle_;
    std::size_t open_ = 0;  // connections made and not dropped, idle or leased
};
