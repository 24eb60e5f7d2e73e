#include "SqliteAccountStore.h"

namespace {

constexpr std::string_view kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts (
    user_id       INTEGER PRIMARY KEY AUTOINCREMENT,
    name          TEXT    NOT NULL UNIQUE COLLATE NOCASE,
    password_hash TEXT    NOT NULL,
    email         TEXT    NOT NULL,
    total_keys    INTEGER NOT NULL DEFAULT 0,
    total_clicks  INTEGER NOT NULL DEFAULT 0,
    total_miles   REAL    NOT NULL DEFAULT 0,
    created       INTEGER NOT NULL
);
CREATE INDEX IF NOT EXISTS accounts_by_keys ON accounts (total_keys);
CREATE TABLE IF NOT EXISTS computers (
    computer_id INTEGER PRIMARY KEY AUTOINCREMENT,
    user_id     INTEGER NOT NULL REFERENCES accounts (user_id),
    name        TEXT    NOT NULL,
    token       TEXT    NOT NULL,
    last_skeld  INTEGER NOT NULL DEFAULT 0,
    skelds      INTEGER NOT NULL DEFAULT 0,
    UNIQUE (user_id, name)
);
CREATE TABLE IF NOT EXISTS password_resets (
    user_id       INTEGER PRIMARY KEY REFERENCES accounts (user_id),
    code          TEXT    NOT NULL UNIQUE,
    password_hash TEXT    NOT NULL,
    requested     INTEGER NOT NULL,
    sealed_password TEXT  NOT NULL DEFAULT ''
);
CREATE TABLE IF NOT EXISTS keyboard_images (
    name        TEXT    PRIMARY KEY,
    user_id     INTEGER NOT NULL REFERENCES accounts (user_id),
    computer_id INTEGER NOT NULL REFERENCES computers (computer_id),
    xml         TEXT    NOT NULL,
    created     INTEGER NOT NULL
);
PRAGMA user_version = 1;
)sql";

constexpr std::string_view kAccountColumns =
    "SELECT user_id, name, password_hash, email, total_keys, total_clicks, total_miles "
    "FROM accounts ";

constexpr std::string_view kAccountWithComputer =
    "SELECT a.user_id, a.name, a.password_hash, a.email, a.total_keys, a.total_clicks, "
    "a.total_miles, c.computer_id, c.name, c.token, c.last_skeld "
    "FROM accounts AS a LEFT JOIN computers AS c ON c.user_id = a.user_id AND c.name = ? ";

Account ReadAccount(const SqliteStatement& row) {
    return {row.ColumnInteger(0), row.ColumnText(1),    row.ColumnText(2), row.ColumnText(3),
            row.ColumnInteger(4), row.ColumnInteger(5), row.ColumnReal(6)};
}

template <typename T, typename Read>
Lookup<T> LookupOne(SqliteStatement& statement, Read read) {
    Lookup<T> found{LookupStatus::Failed, T{}};
    switch (statement.Step()) {
        case SqliteStatement::StepResult::Row:
            found = {LookupStatus::Found, read(statement)};
            break;
        case SqliteStatement::StepResult::Done:
            found = {LookupStatus::Missing, T{}};
            break;
        default:
            break;
    }
    // A reused statement must not keep its read open.
    statement.Reset();
    return found;
}

}  // namespace

bool SqliteAccountStore::Open(const std::filesystem::path& file, std::string& error) {
    std::scoped_lock lock(mutex_);
    if (!database_.Open(file, error)) {
        return false;
    }
    // Write-ahead logging: readers never wait for a writer, and a crash mid-write leaves the
    // last committed state.
    // FULL: a commit returns only once the log is on disk, so an accepted skeld survives a
    // power cut too, not only a crash of the server.
    if (!database_.Execute("PRAGMA journal_mode = WAL") ||
        !database_.Execute("PRAGMA synchronous = FULL") ||
        !database_.Execute("PRAGMA foreign_keys = ON") || !database_.Execute(kSchema) ||
        !AddSealedPasswordColumn()) {
        error = database_.LastError();
        return false;
    }
    // Lookups read through a connection of their own, so that they never wait for a commit.
    std::scoped_lock readLock(readMutex_);
    return reader_.Open(file, error);
}

bool SqliteAccountStore::AddSealedPasswordColumn() {
    // Databases made before pending passwords were kept sealed lack the column.
    auto column = database_.Prepare(
        "SELECT 1 FROM pragma_table_info('password_resets') WHERE name = 'sealed_password'");
    switch (column.Step()) {
        case SqliteStatement::StepResult::Row:
            return true;
        case SqliteStatement::StepResult::Done:
            break;
        default:
            return false;
    }
    column.Reset();
    return database_.Execute(
        "ALTER TABLE password_resets ADD COLUMN sealed_password TEXT NOT NULL DEFAULT ''");
}

Lookup<Account> SqliteAccountStore::FindAccount(std::int64_t userId) {
    std::scoped_lock lock(readMutex_);
    auto& statement = reader_.Reused(std::string(kAccountColumns) + "WHERE user_id = ?");
    statement.Bind(1, userId);
    return LookupOne<Account>(statement, ReadAccount);
}

Lookup<Account> SqliteAccountStore::FindAccountByName(std::string_view name) {
    std::scoped_lock lock(readMutex_);
    auto statement = reader_.Prepare(std::string(kAccountColumns) + "WHERE name = ?");
    statement.Bind(1, name);
    return LookupOne<Account>(statement, ReadAccount);
}

Lookup<Computer> SqliteAccountStore::FindComputer(std::int64_t userId, std::string_view name) {
    std::scoped_lock lock(readMutex_);
    auto& statement = reader_.Reused(
        "SELECT computer_id, user_id, name, token, last_skeld FROM computers "
        "WHERE user_id = ? AND name = ?");
    statement.Bind(1, userId).Bind(2, name);
    return LookupOne<Computer>(statement, [](const SqliteStatement& row) {
        return Computer{row.ColumnInteger(0), row.ColumnInteger(1), row.ColumnText(2),
                        row.ColumnText(3), row.ColumnInteger(4)};
    });
}

Lookup<AccountWithComputer> SqliteAccountStore::FindAccountWithComputer(std::int64_t userId,
                                                                        std::string_view computer) {
    std::scoped_lock lock(readMutex_);
    auto& statement = reader_.Reused(std::string(kAccountWithComputer) + "WHERE a.user_id = ?");
    statement.Bind(1, computer).Bind(2, userId);
    return LookupOne<AccountWithComputer>(statement, [](const SqliteStatement& row) {
        return AccountWithComputer{ReadAccount(row),
                                   !row.IsNull(7),
                                   {row.ColumnInteger(7), row.ColumnInteger(0), row.ColumnText(8),
                                    row.ColumnText(9), row.ColumnInteger(10)}};
    });
}

Lookup<std::vector<std::string>> SqliteAccountStore::ComputerNames(std::int64_t userId) {
    std::scoped_lock lock(readMutex_);
    auto statement =
        reader_.Prepare("SELECT name FROM computers WHERE user_id = ? ORDER BY computer_id");
    statement.Bind(1, userId);
    Lookup<std::vector<std::string>> names{LookupStatus::Found, {}};
    SqliteStatement::StepResult step;
    while ((step = statement.Step()) == SqliteStatement::StepResult::Row) {
        names.value.push_back(statement.ColumnText(0));
    }
    if (step == SqliteStatement::StepResult::Failed) {
        return {};
    }
    return names;
}

Lookup<Standing> SqliteAccountStore::StandingOf(std::int64_t userId) {
    std::scoped_lock lock(readMutex_);
    return StandingWith(reader_, userId);
}

Lookup<Standing> SqliteAccountStore::StandingWith(SqliteDatabase& connection, std::int64_t userId) {
    auto& totals = connection.Reused(
        "SELECT total_keys, total_clicks, total_miles, "
        "(SELECT COUNT(*) FROM accounts AS other WHERE other.total_keys > mine.total_keys), "
        "(SELECT COUNT(*) FROM accounts) "
        "FROM accounts AS mine WHERE user_id = ?");
    totals.Bind(1, userId);
    return LookupOne<Standing>(totals, [](const SqliteStatement& row) {
        return Standing{row.ColumnInteger(0), row.ColumnInteger(1), row.ColumnReal(2),
                        row.ColumnInteger(3) + 1, row.ColumnInteger(4)};
    });
}

AccountStore::Registration SqliteAccountStore::Register(std::string_view name,
                                                        std::string_view passwordHash,
                                                        std::string_view email,
                                                        std::string_view computer,
                                                        std::string_view token, std::int64_t now) {
    std::scoped_lock lock(mutex_);
    if (!database_.Execute("BEGIN IMMEDIATE")) {
        return {};
    }
    auto taken = database_.Prepare("SELECT 1 FROM accounts WHERE name = ?");
    taken.Bind(1, name);
    const auto existing = taken.Step();
    if (existing != SqliteStatement::StepResult::Done) {
        Rollback();
        return {existing == SqliteStatement::StepResult::Row ? AddStatus::NameTaken
                                                             : AddStatus::Failed};
    }
    auto account = database_.Prepare(
        "INSERT INTO accounts (name, password_hash, email, created) VALUES (?, ?, ?, ?)");
    account.Bind(1, name).Bind(2, passwordHash).Bind(3, email).Bind(4, now);
    if (!account.Run()) {
        Rollback();
        return {};
    }
    const std::int64_t userId = database_.LastInsertId();
    auto first = database_.Prepare("INSERT INTO computers (user_id, name, token) VALUES (?, ?, ?)");
    first.Bind(1, userId).Bind(2, computer).Bind(3, token);
    if (!first.Run() || !Commit()) {
        Rollback();
        return {};
    }
    return {AddStatus::Added, userId};
}

AccountStore::AddStatus SqliteAccountStore::AddComputer(std::int64_t userId, std::string_view name,
                                                        std::string_view token) {
    std::scoped_lock lock(mutex_);
    if (!database_.Execute("BEGIN IMMEDIATE")) {
        return AddStatus::Failed;
    }
    auto taken = database_.Prepare("SELECT 1 FROM computers WHERE user_id = ? AND name = ?");
    taken.Bind(1, userId).Bind(2, name);
    const auto existing = taken.Step();
    if (existing != SqliteStatement::StepResult::Done) {
        Rollback();
        return existing == SqliteStatement::StepResult::Row ? AddStatus::NameTaken
                                                            : AddStatus::Failed;
    }
    auto insert =
        database_.Prepare("INSERT INTO computers (user_id, name, token) VALUES (?, ?, ?)");
    insert.Bind(1, userId).Bind(2, name).Bind(3, token);
    if (!insert.Run() || !Commit()) {
        Rollback();
        return AddStatus::Failed;
    }
    return AddStatus::Added;
}

AccountStore::SkeldOutcome SqliteAccountStore::ApplySkeld(const SkeldUpload& upload) {
    // Skelds that come while another batch is being committed wait and then go in together:
    // one transaction and one sync of the log for all of them, instead of one each. Whoever
    // finds no commit running commits what is queued, its own skeld among them; every skeld
    // is answered only once its batch is durable.
    QueuedSkeld mine{&upload, {}, false};
    std::unique_lock lock(queueMutex_);
    queue_.push_back(&mine);
    while (!mine.done) {
        if (committing_) {
            committed_.wait(lock);
            continue;
        }
        committing_ = true;
        std::vector<QueuedSkeld*> batch;
        batch.swap(queue_);
        lock.unlock();
        CommitSkelds(batch);
        lock.lock();
        committing_ = false;
        for (QueuedSkeld* skeld : batch) {
            skeld->done = true;
        }
        committed_.notify_all();
    }
    return mine.outcome;
}

void SqliteAccountStore::CommitSkelds(const std::vector<QueuedSkeld*>& batch) {
    std::scoped_lock lock(mutex_);
    bool ok = database_.Execute("BEGIN IMMEDIATE");
    for (QueuedSkeld* skeld : batch) {
        if (!ok) {
            break;
        }
        skeld->outcome = SkeldInTransaction(*skeld->upload);
        ok = skeld->outcome.status != SkeldStatus::Failed;
    }
    if (ok && Commit()) {
        return;
    }
    // Nothing of the batch was stored: its clients keep their tokens and send again.
    Rollback();
    for (QueuedSkeld* skeld : batch) {
        skeld->outcome = {};
    }
}

AccountStore::SkeldOutcome SqliteAccountStore::SkeldInTransaction(const SkeldUpload& upload) {
    // The token check, the totals and the new token belong together: of two skelds showing
    // the same token only the first is counted.
    auto& computer =
        database_.Reused("SELECT user_id, token, last_skeld FROM computers WHERE computer_id = ?");
    computer.Bind(1, upload.computerId);
    if (computer.Step() != SqliteStatement::StepResult::Row) {
        computer.Reset();
        return {};
    }
    const std::int64_t userId = computer.ColumnInteger(0);
    const bool tokenMatches = computer.ColumnText(1) == upload.token;
    const std::int64_t lastSkeld = computer.ColumnInteger(2);
    computer.Reset();
    if (!tokenMatches) {
        return {SkeldStatus::WrongToken, {}};
    }
    const std::int64_t elapsed = upload.now - lastSkeld;
    if (upload.throttleSeconds > 0 && lastSkeld != 0 && elapsed >= 0 &&
        elapsed < upload.throttleSeconds) {
        return {SkeldStatus::Throttled, {}};
    }
    auto& totals = database_.Reused(
        "UPDATE accounts SET total_keys = total_keys + ?, total_clicks = total_clicks + ?, "
        "total_miles = total_miles + ? WHERE user_id = ?");
    totals.Bind(1, upload.keys).Bind(2, upload.clicks).Bind(3, upload.miles).Bind(4, userId);
    auto& token = database_.Reused(
        "UPDATE computers SET token = ?, last_skeld = ?, skelds = skelds + 1 "
        "WHERE computer_id = ?");
    token.Bind(1, upload.newToken).Bind(2, upload.now).Bind(3, upload.computerId);
    if (!totals.Run() || !token.Run()) {
        return {};
    }
    const Lookup<Standing> standing = StandingWith(database_, userId);
    if (!standing.Found()) {
        return {};
    }
    return {SkeldStatus::Accepted, standing.value};
}

bool SqliteAccountStore::ReplaceToken(std::int64_t computerId, std::string_view token) {
    std::scoped_lock lock(mutex_);
    auto statement = database_.Prepare("UPDATE computers SET token = ? WHERE computer_id = ?");
    statement.Bind(1, token).Bind(2, computerId);
    return statement.Run();
}

bool SqliteAccountStore::StorePasswordReset(std::int64_t userId, std::string_view code,
                                            std::string_view passwordHash,
                                            std::string_view sealedPassword, std::int64_t now) {
    std::scoped_lock lock(mutex_);
    auto statement = database_.Prepare(
        "INSERT OR REPLACE INTO password_resets "
        "(user_id, code, password_hash, requested, sealed_password) VALUES (?, ?, ?, ?, ?)");
    statement.Bind(1, userId)
        .Bind(2, code)
        .Bind(3, passwordHash)
        .Bind(4, now)
        .Bind(5, sealedPassword);
    return statement.Run();
}

Lookup<std::int64_t> SqliteAccountStore::PasswordResetRequested(std::int64_t userId) {
    std::scoped_lock lock(readMutex_);
    auto statement = reader_.Prepare("SELECT requested FROM password_resets WHERE user_id = ?");
    statement.Bind(1, userId);
    return LookupOne<std::int64_t>(statement,
                                   [](const SqliteStatement& row) { return row.ColumnInteger(0); });
}

Lookup<PendingReset> SqliteAccountStore::FindPasswordReset(std::string_view code) {
    std::scoped_lock lock(readMutex_);
    auto statement = reader_.Prepare(
        "SELECT user_id, sealed_password, requested FROM password_resets WHERE code = ?");
    statement.Bind(1, code);
    return LookupOne<PendingReset>(statement, [](const SqliteStatement& row) {
        return PendingReset{row.ColumnInteger(0), row.ColumnText(1), row.ColumnInteger(2)};
    });
}

bool SqliteAccountStore::ChangePassword(std::int64_t userId, std::string_view passwordHash) {
    std::scoped_lock lock(mutex_);
    if (!database_.Execute("BEGIN IMMEDIATE")) {
        return false;
    }
    auto update = database_.Prepare("UPDATE accounts SET password_hash = ? WHERE user_id = ?");
    update.Bind(1, passwordHash).Bind(2, userId);
    auto remove = database_.Prepare("DELETE FROM password_resets WHERE user_id = ?");
    remove.Bind(1, userId);
    if (!update.Run() || !remove.Run() || !Commit()) {
        Rollback();
        return false;
    }
    return true;
}

AccountStore::ConfirmStatus SqliteAccountStore::ConfirmPasswordReset(std::string_view code,
                                                                     std::int64_t now,
                                                                     std::int64_t maxAgeSeconds) {
    std::scoped_lock lock(mutex_);
    if (!database_.Execute("BEGIN IMMEDIATE")) {
        return ConfirmStatus::Failed;
    }
    auto pending = database_.Prepare(
        "SELECT user_id, password_hash, requested FROM password_resets WHERE code = ?");
    pending.Bind(1, code);
    const auto found = pending.Step();
    if (found != SqliteStatement::StepResult::Row) {
        Rollback();
        return found == SqliteStatement::StepResult::Done ? ConfirmStatus::Unknown
                                                          : ConfirmStatus::Failed;
    }
    const std::int64_t userId = pending.ColumnInteger(0);
    const std::string passwordHash = pending.ColumnText(1);
    const std::int64_t age = now - pending.ColumnInteger(2);
    auto remove = database_.Prepare("DELETE FROM password_resets WHERE user_id = ?");
    remove.Bind(1, userId);
    if (age < 0 || age > maxAgeSeconds) {
        // A stale code is used up as well, so it cannot be tried again later.
        const bool removed = remove.Run() && Commit();
        if (!removed) {
            Rollback();
        }
        return removed ? ConfirmStatus::Expired : ConfirmStatus::Failed;
    }
    auto update = database_.Prepare("UPDATE accounts SET password_hash = ? WHERE user_id = ?");
    update.Bind(1, passwordHash).Bind(2, userId);
    if (!update.Run() || !remove.Run() || !Commit()) {
        Rollback();
        return ConfirmStatus::Failed;
    }
    return ConfirmStatus::Confirmed;
}

bool SqliteAccountStore::StoreKeyboardImage(std::string_view name, std::int64_t userId,
                                            std::int64_t computerId, std::string_view xml,
                                            std::int64_t now, int keepPerAccount) {
    std::scoped_lock lock(mutex_);
    if (!database_.Execute("BEGIN IMMEDIATE")) {
        return false;
    }
    auto insert = database_.Prepare(
        "INSERT INTO keyboard_images (name, user_id, computer_id, xml, created) "
        "VALUES (?, ?, ?, ?, ?)");
    insert.Bind(1, name).Bind(2, userId).Bind(3, computerId).Bind(4, xml).Bind(5, now);
    auto prune = database_.Prepare(
        "DELETE FROM keyboard_images WHERE user_id = ?1 AND rowid NOT IN "
        "(SELECT rowid FROM keyboard_images WHERE user_id = ?1 ORDER BY rowid DESC LIMIT ?2)");
    prune.Bind(1, userId).Bind(2, static_cast<std::int64_t>(keepPerAccount));
    if (!insert.Run() || !prune.Run() || !Commit()) {
        Rollback();
        return false;
    }
    return true;
}

Lookup<std::string> SqliteAccountStore::KeyboardImageXml(std::string_view name) {
    std::scoped_lock lock(readMutex_);
    auto statement = reader_.Prepare("SELECT xml FROM keyboard_images WHERE name = ?");
    statement.Bind(1, name);
    return LookupOne<std::string>(statement,
                                  [](const SqliteStatement& row) { return row.ColumnText(0); });
}

bool SqliteAccountStore::Commit() {
    return database_.Execute("COMMIT");
}

void SqliteAccountStore::Rollback() {
    database_.Execute("ROLLBACK");
}
