#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "AccountRecords.h"
#include "SqliteDatabase.h"

// The server's one database file: accounts, their computers and tokens, pending password
// resets and keyboard images. Every operation is one transaction under one lock, so requests
// served in parallel never lose an update and a token is never accepted twice.
class AccountDatabase {
public:
    // Opens or creates the file and its tables.
    bool Open(const std::filesystem::path& file, std::string& error);

    Lookup<Account> FindAccount(std::int64_t userId);
    // Account names are compared without regard to ASCII case.
    Lookup<Account> FindAccountByName(std::string_view name);
    Lookup<Computer> FindComputer(std::int64_t userId, std::string_view name);
    // In the order they were added; Missing is never returned.
    Lookup<std::vector<std::string>> ComputerNames(std::int64_t userId);
    Lookup<Standing> StandingOf(std::int64_t userId);

    enum class AddStatus { Added, NameTaken, Failed };
    struct Registration {
        AddStatus status = AddStatus::Failed;
        std::int64_t userId = 0;
    };
    // A new account with its first computer.
    Registration Register(std::string_view name, std::string_view passwordHash,
                          std::string_view email, std::string_view computer, std::string_view token,
                          std::int64_t now);
    AddStatus AddComputer(std::int64_t userId, std::string_view name, std::string_view token);

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
    SkeldOutcome ApplySkeld(const SkeldUpload& upload);

    bool ReplaceToken(std::int64_t computerId, std::string_view token);

    // One pending reset per account; a new request replaces the older one.
    bool StorePasswordReset(std::int64_t userId, std::string_view code,
                            std::string_view passwordHash, std::int64_t now);
    // When the account's pending reset was asked for; Missing when there is none.
    Lookup<std::int64_t> PasswordResetRequested(std::int64_t userId);
    enum class ConfirmStatus { Confirmed, Unknown, Expired, Failed };
    ConfirmStatus ConfirmPasswordReset(std::string_view code, std::int64_t now,
                                       std::int64_t maxAgeSeconds);

    // Keeps only the newest `keepPerAccount` images of the account.
    bool StoreKeyboardImage(std::string_view name, std::int64_t userId, std::int64_t computerId,
                            std::string_view xml, std::int64_t now, int keepPerAccount);
    Lookup<std::string> KeyboardImageXml(std::string_view name);

private:
    Lookup<Standing> StandingLocked(std::int64_t userId);
    bool Commit();
    void Rollback();

    std::mutex mutex_;
    SqliteDatabase database_;
};
