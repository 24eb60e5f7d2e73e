#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "AccountStore.h"
#include "SqliteDatabase.h"

// The accounts in one SQLite file (created when missing), for a server on one machine. Changes
// go through one writer connection under one lock, each operation a transaction of its own
// (skelds that come together share one); lookups through a reader connection of their own.
class SqliteAccountStore final : public AccountStore {
public:
    // Opens or creates the file and its tables.
    bool Open(const std::filesystem::path& file, std::string& error);

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

private:
    struct QueuedSkeld {
        const SkeldUpload* upload;
        SkeldOutcome outcome;
        bool done;
    };

    void CommitSkelds(const std::vector<QueuedSkeld*>& batch);
    SkeldOutcome SkeldInTransaction(const SkeldUpload& upload);
    static Lookup<Standing> StandingWith(SqliteDatabase& connection, std::int64_t userId);
    bool AddSealedPasswordColumn();
    bool Commit();
    void Rollback();

    std::mutex mutex_;  // the writer connection
    SqliteDatabase database_;
    std::mutex readMutex_;
    SqliteDatabase reader_;
    std::mutex queueMutex_;  // the skelds waiting for a commit
    std::condition_variable committed_;
    std::vector<QueuedSkeld*> queue_;
    bool committing_ = false;
};
