#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "AccountRecords.h"

// Where the server keeps its accounts, their computers and tokens, pending password resets and
// keyboard images: one engine per kind of database, with the same tables. Every operation is
// one transaction, so requests served in parallel, by one process or several sharing the
// database, never lose an update and a token is never accepted twice.
class AccountStore {
public:
    virtual ~AccountStore() = default;

    virtual Lookup<Account> FindAccount(std::int64_t userId) = 0;
    // Account names are compared without regard to ASCII case.
    virtual Lookup<Account> FindAccountByName(std::string_view name) = 0;
    virtual Lookup<Computer> FindComputer(std::int64_t userId, std::string_view name) = 0;
    // FindAccount and FindComputer in one query; Missing when there is no such account.
    virtual Lookup<AccountWithComputer> FindAccountWithComputer(std::int64_t userId,
                                                                std::string_view computer) = 0;
    // In the order they were added; Missing is never returned.
    virtual Lookup<std::vector<std::string>> ComputerNames(std::int64_t userId) = 0;
    virtual Lookup<Standing> StandingOf(std::int64_t userId) = 0;

    enum class AddStatus { Added, NameTaken, Failed };
    struct Registration {
        AddStatus status = AddStatus::Failed;
        std::int64_t userId = 0;
    };
    // A new account with its first computer.
    virtual Registration Register(std::string_view name, std::string_view passwordHash,
                                  std::string_view email, std::string_view computer,
                                  std::string_view token, std::int64_t now) = 0;
    virtual AddStatus AddComputer(std::int64_t userId, std::string_view name,
                                  std::string_view token) = 0;

    struct SkeldUpload {
        std::int64_t computerId = 0;
        std::string token;     // the token the client showed
        std::string newToken;  // replaces it when the skeld is accepted
        std::int64_t keys = 0;
        std::int64_t clicks = 0;
        double miles = 0;
        std::int64_t now = 0;
        std::int64_t throttleSeconds = 0;  // 0: no minimum time between skelds
    };
    enum class SkeldStatus { Accepted, WrongToken, Throttled, Failed };
    struct SkeldOutcome {
        SkeldStatus status = SkeldStatus::Failed;
        Standing standing;  // after the skeld, when accepted
    };
    // The token check, the counting and the new token in one transaction: of two skelds
    // showing the same token only the first is counted. Accepted only once it is durable.
    virtual SkeldOutcome ApplySkeld(const SkeldUpload& upload) = 0;

    virtual bool ReplaceToken(std::int64_t computerId, std::string_view token) = 0;

    // One pending reset per account; a new request replaces the older one. `code` is what
    // the link's code is looked up by (its digest).
    virtual bool StorePasswordReset(std::int64_t userId, std::string_view code,
                                    std::string_view passwordHash, std::string_view sealedPassword,
                                    std::int64_t now) = 0;
    // When the account's pending reset was asked for; Missing when there is none.
    virtual Lookup<std::int64_t> PasswordResetRequested(std::int64_t userId) = 0;
    virtual Lookup<PendingReset> FindPasswordReset(std::string_view code) = 0;
    enum class ConfirmStatus { Confirmed, Unknown, Expired, Failed };
    virtual ConfirmStatus ConfirmPasswordReset(std::string_view code, std::int64_t now,
                                               std::int64_t maxAgeSeconds) = 0;
    // The owner set a password of their own: it replaces the stored one, and a pending reset
    // is dropped so that an older link cannot undo it.
    virtual bool ChangePassword(std::int64_t userId, std::string_view passwordHash) = 0;

    // Keeps only the newest `keepPerAccount` images of the account.
    virtual bool StoreKeyboardImage(std::string_view name, std::int64_t userId,
                                    std::int64_t computerId, std::string_view xml, std::int64_t now,
                                    int keepPerAccount) = 0;
    virtual Lookup<std::string> KeyboardImageXml(std::string_view name) = 0;
};
