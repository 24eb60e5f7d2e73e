#include "SqliteDatabase.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace {

TEST(SqliteDatabaseTest, AReusedStatementStartsAfreshEachTime) {
    TempFolder folder;
    SqliteDatabase database;
    std::string error;
    ASSERT_TRUE(database.Open(folder / "reuse.sqlite", error)) << error;
    ASSERT_TRUE(database.Execute("PRAGMA journal_mode = WAL"));
    ASSERT_TRUE(
        database.Execute("CREATE TABLE t (k INTEGER, v TEXT);"
                         "INSERT INTO t VALUES (1, 'one'), (1, 'uno'), (2, 'two')"));
    constexpr const char* kSql = "SELECT v FROM t WHERE k = ? ORDER BY v";

    SqliteStatement& first = database.Reused(kSql);
    first.Bind(1, std::int64_t{1});
    ASSERT_EQ(first.Step(), SqliteStatement::StepResult::Row);
    EXPECT_EQ(first.ColumnText(0), "one");  // stopped at its first of two rows

    SqliteStatement& again = database.Reused(kSql);
    EXPECT_EQ(&again, &first);
    EXPECT_EQ(again.Step(), SqliteStatement::StepResult::Done);  // the old value is unbound
    SqliteStatement& third = database.Reused(kSql);
    third.Bind(1, std::int64_t{2});
    ASSERT_EQ(third.Step(), SqliteStatement::StepResult::Row);
    EXPECT_EQ(third.ColumnText(0), "two");
    third.Reset();

    // No read is left open: another connection can empty the write-ahead log.
    ASSERT_TRUE(database.Execute("INSERT INTO t VALUES (3, 'three')"));
    SqliteDatabase other;
    ASSERT_TRUE(other.Open(folder / "reuse.sqlite", error)) << error;
    auto checkpoint = other.Prepare("PRAGMA wal_checkpoint(TRUNCATE)");
    ASSERT_EQ(checkpoint.Step(), SqliteStatement::StepResult::Row);
    EXPECT_EQ(checkpoint.ColumnInteger(0), 0);  // 0: not blocked by a reader
}

}  // namespace
