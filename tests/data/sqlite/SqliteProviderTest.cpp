// The SQLite provider on real database files: results and their columns, values
// written and read back, statements, failures and transactions.
#include <gtest/gtest.h>

#include "data/EngineError.h"
#include "data/providers/sqlite/SqliteProvider.h"
#include "tests/data/sqlite/SqliteTestFiles.h"
#include "tests/support/FailureText.h"

namespace tiermend::data::sqlite {
namespace {

using testing::failureMessageOf;
using testing::SqliteFile;
using testing::TempFolder;

class SqliteProviderTest : public ::testing::Test {
 protected:
  std::vector<std::vector<Value>> readAll(const std::string& sql) {
    auto cursor = session_->query(sql);
    EXPECT_NE(cursor, nullptr);
    std::vector<std::vector<Value>> rows;
    std::vector<Value> row;
    while (cursor && cursor->fetch(row)) rows.push_back(row);
    return rows;
  }

  const testing::ScratchSqliteFile file_{"db.sqlite",
                                         "CREATE TABLE t (n INTEGER, label VARCHAR(10));"
                                         "INSERT INTO t VALUES (1, 'one'), (2, 'two'), (3, NULL);"};
  const std::string path_ = file_.path();
  std::unique_ptr<Session> session_ = openSession(path_);
};

TEST_F(SqliteProviderTest, WalksAResultForwardToItsEnd) {
  auto rows = readAll("select * from t order by n");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][0], Value(std::int64_t{1}));
  EXPECT_EQ(rows[1][1], Value(std::string("two")));
  EXPECT_TRUE(isNull(rows[2][1]));
}

TEST_F(SqliteProviderTest, AnEmptyResultStillDescribesItsColumns) {
  auto cursor = session_->query("select * from t where n > 100");
  ASSERT_NE(cursor, nullptr);
  ASSERT_EQ(cursor->columns().size(), 2u);
  EXPECT_EQ(cursor->columns()[1].name, "label");
  EXPECT_EQ(cursor->columns()[1].size, 10);
  EXPECT_EQ(cursor->baseTable(), "t");
  std::vector<Value> row;
  EXPECT_FALSE(cursor->fetch(row));
  EXPECT_FALSE(cursor->fetch(row));
}

TEST_F(SqliteProviderTest, DescribesAutoNumberAndComputedColumns) {
  session_->execute("CREATE TABLE a (id INTEGER PRIMARY KEY AUTOINCREMENT, v DECIMAL(18,4))");
  session_->execute("INSERT INTO a (v) VALUES (1.5)");
  auto cursor = session_->query("select id, v, v * 2 as twice, count(*) over () as c from a");
  ASSERT_NE(cursor, nullptr);
  const auto& columns = cursor->columns();
  EXPECT_TRUE(columns[0].autoIncrement);
  EXPECT_FALSE(columns[0].updatable);
  EXPECT_EQ(columns[0].type, ColumnType::Int64);
  EXPECT_TRUE(columns[1].updatable);
  EXPECT_EQ(columns[1].type, ColumnType::Decimal);
  EXPECT_FALSE(columns[2].updatable);
  EXPECT_EQ(columns[2].type, ColumnType::Double);  // judged by the value it holds
  EXPECT_EQ(columns[3].type, ColumnType::Int64);
  EXPECT_EQ(cursor->baseTable(), "a");
}

TEST_F(SqliteProviderTest, AJoinHasNoSingleBaseTable) {
  session_->execute("CREATE TABLE u (n INTEGER, extra TEXT)");
  auto cursor = session_->query("select t.n, u.extra from t join u on t.n = u.n");
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(cursor->baseTable(), "");
}

TEST_F(SqliteProviderTest, ValuesOfEveryKindTravelBothWays) {
  session_->execute(
      "CREATE TABLE v (i INT, big INTEGER, d DOUBLE, m MONEY, dec DECIMAL(30,10), dt DATETIME,"
      " da DATE, ti TIME, b BOOLEAN, s NVARCHAR(20), memo MEMO, bl BLOB, g GUID)");
  const std::vector<std::string> names{"i",  "big", "d", "m",    "dec", "dt", "da",
                                       "ti", "b",   "s", "memo", "bl",  "g"};
  const std::vector<Value> values{std::int64_t{-2147483648},
                                  std::int64_t{9223372036854775807},
                                  0.30000000000000004,
                                  Decimal{"-92233720368.5477"},
                                  Decimal{"-0.000001"},
                                  DateTime{1850, 6, 15, 12, 30, 45, 250},
                                  DateTime{2024, 2, 29, 0, 0, 0, 0},
                                  DateTime{1899, 12, 30, 18, 5, 0, 0},
                                  true,
                                  std::string("薪資𠀋"),
                                  std::string("line1\r\nline2"),
                                  Bytes{},
                                  std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")};
  session_->insert("v", names, values);
  auto rows = readAll("select * from v");
  ASSERT_EQ(rows.size(), 1u);
  for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(rows[0][i], values[i]) << names[i];

  SqliteFile check(path_);
  EXPECT_EQ(check.value("select dt || '|' || da || '|' || ti from v"),
            "1850-06-15 12:30:45.250|2024-02-29|18:05:00");
  EXPECT_EQ(check.value("select typeof(b) || b from v"), "integer1");
  // An empty blob stays an empty value, never a null.
  EXPECT_EQ(check.value("select typeof(bl) || length(bl) from v"), "blob0");
}

TEST_F(SqliteProviderTest, DecimalsAreStoredAsNumbers) {
  session_->execute("CREATE TABLE money (a DECIMAL(30,10))");
  for (const char* text : {"1234.0000", "0.5", "-0.0001", "123456789012.3456", "1234567890123456.7",
                           "99999999999999999999"}) {
    session_->insert("money", {"a"}, {Decimal{text}});
  }
  SqliteFile check(path_);
  auto stored = check.rows("select typeof(a), a from money order by rowid");
  ASSERT_EQ(stored.size(), 6u);
  EXPECT_EQ(stored[0], (std::vector<std::string>{"integer", "1234"}));
  EXPECT_EQ(stored[1], (std::vector<std::string>{"real", "0.5"}));
  EXPECT_EQ(stored[2], (std::vector<std::string>{"real", "-0.0001"}));
  EXPECT_EQ(stored[3], (std::vector<std::string>{"real", "123456789012.346"}));
  auto rows = readAll("select a from money order by rowid");
  EXPECT_EQ(rows[0][0], Value(Decimal{"1234"}));
  EXPECT_EQ(rows[3][0], Value(Decimal{"123456789012.3456"}));
  // SQLite has no exact decimal storage: a numeric column keeps what a double holds.
  EXPECT_EQ(rows[4][0], Value(Decimal{"1234567890123456.8"}));
  EXPECT_EQ(rows[5][0], Value(Decimal{"100000000000000000000"}));
}

TEST_F(SqliteProviderTest, DecimalsKeepEveryDigitWhereTheColumnKeepsText) {
  session_->execute("CREATE TABLE exact (a TEXT)");
  session_->insert("exact", {"a"}, {Decimal{"12345678901234567890.0123456789"}});
  EXPECT_EQ(SqliteFile(path_).value("select typeof(a) || ' ' || a from exact"),
            "text 12345678901234567890.0123456789");
}

TEST_F(SqliteProviderTest, ReadsDatesStoredAsJulianDays) {
  session_->execute("CREATE TABLE days (d DATETIME)");
  session_->execute("INSERT INTO days VALUES (2451545.0)");
  EXPECT_EQ(readAll("select d from days")[0][0], Value(DateTime{2000, 1, 1, 12, 0, 0, 0}));
}

TEST_F(SqliteProviderTest, AStoredValueTheColumnCannotHoldIsReportedWithTheColumn) {
  session_->execute("CREATE TABLE bad (d DATETIME, n INT)");
  session_->execute("INSERT INTO bad VALUES ('next tuesday', 1)");
  EXPECT_EQ(failureMessageOf<EngineError>([&] { readAll("select d from bad"); }),
            "The value 'next tuesday' in column 'd' is not a valid date or time");
  session_->execute("UPDATE bad SET d = NULL, n = 1.5");
  EXPECT_EQ(failureMessageOf<EngineError>([&] { readAll("select n from bad"); }),
            "The value '1.5' in column 'n' is not a valid whole number");
}

TEST_F(SqliteProviderTest, AStatementWithoutResultRunsAndGivesNoCursor) {
  EXPECT_EQ(session_->query("delete from t where n = 1"), nullptr);
  EXPECT_EQ(SqliteFile(path_).value("select count(*) from t"), "2");
}

TEST_F(SqliteProviderTest, ExecuteCountsTheRowsItChanged) {
  EXPECT_EQ(session_->execute("update t set label = 'x' where n >= 2"), 2);
  // A statement that changes no row does not repeat the count of the one before.
  EXPECT_EQ(session_->execute("create table other (x int)"), 0);
  EXPECT_EQ(session_->execute("select * from t"), 0);
  EXPECT_EQ(session_->execute("delete from t"), 3);
  EXPECT_EQ(session_->execute("delete from t"), 0);
}

TEST_F(SqliteProviderTest, FailuresCarryTheEnginesWords) {
  EXPECT_EQ(failureMessageOf<EngineError>([&] { session_->query("select * from missing"); }),
            "no such table: missing");
  EXPECT_EQ(
      failureMessageOf<EngineError>([&] { session_->execute("delete from t; delete from t"); }),
      "Characters found after end of SQL statement");
  EXPECT_EQ(failureMessageOf<EngineError>(
                [&] { session_->execute("delete from t; drop table missing"); }),
            "Characters found after end of SQL statement");
  session_->execute("delete from t where n = 99; -- nothing but a comment after it\r\n");
  EXPECT_EQ(SqliteFile(path_).value("select count(*) from t"), "3");
  EXPECT_EQ(
      failureMessageOf<EngineError>([&] { session_->insert("t", {"nope"}, {std::int64_t{1}}); }),
      "table t has no column named nope");
}

TEST_F(SqliteProviderTest, ARefusedInsertLeavesTheSessionUsable) {
  session_->execute("CREATE TABLE strict (a INT NOT NULL, b INT CHECK (b > 0), c INT UNIQUE)");
  const std::vector<std::string> columns{"a", "b", "c"};
  EXPECT_EQ(failureMessageOf<EngineError>([&] {
              session_->insert("strict", columns, {Null{}, Null{}, Null{}});
            }),
            "NOT NULL constraint failed: strict.a");
  EXPECT_EQ(failureMessageOf<EngineError>([&] {
              session_->insert("strict", columns, {std::int64_t{1}, std::int64_t{0}, Null{}});
            }),
            "CHECK constraint failed: b > 0");
  session_->insert("strict", columns, {std::int64_t{1}, std::int64_t{1}, std::int64_t{7}});
  EXPECT_EQ(
      failureMessageOf<EngineError>([&] {
        session_->insert("strict", columns, {std::int64_t{2}, std::int64_t{2}, std::int64_t{7}});
      }),
      "UNIQUE constraint failed: strict.c");
  session_->insert("strict", columns, {std::int64_t{3}, std::int64_t{3}, std::int64_t{8}});
  EXPECT_EQ(SqliteFile(path_).value("select group_concat(a) from strict"), "1,3");
}

TEST_F(SqliteProviderTest, InsertWithoutColumnsTakesTheDefaults) {
  session_->execute("CREATE TABLE d (a INT DEFAULT 5, b TEXT)");
  session_->insert("d", {}, {});
  EXPECT_EQ(SqliteFile(path_).value("select a || '/' || ifnull(b, 'null') from d"), "5/null");
}

TEST_F(SqliteProviderTest, AnOpenCursorDoesNotHoldBackChangesOnTheSameSession) {
  auto cursor = session_->query("select * from t");
  std::vector<Value> row;
  ASSERT_TRUE(cursor->fetch(row));  // in the middle of the result
  EXPECT_EQ(session_->execute("delete from t where n = 3"), 1);
  session_->insert("t", {"n", "label"}, {std::int64_t{9}, std::string("nine")});
  // Another connection sees both changes while the cursor is still open.
  EXPECT_EQ(SqliteFile(path_).value("select group_concat(n) from (select n from t order by n)"),
            "1,2,9");
}

TEST_F(SqliteProviderTest, RollbackUndoesAndCommitKeeps) {
  session_->beginTransaction();
  session_->execute("delete from t");
  session_->rollback();
  EXPECT_EQ(SqliteFile(path_).value("select count(*) from t"), "3");
  session_->beginTransaction();
  session_->insert("t", {"n"}, {std::int64_t{4}});
  session_->commit();
  EXPECT_EQ(SqliteFile(path_).value("select count(*) from t"), "4");
  EXPECT_EQ(failureMessageOf<EngineError>([&] { session_->commit(); }),
            "cannot commit - no transaction is active");
}

TEST(SqliteOpenTest, OpensOnlyExistingDatabaseFiles) {
  TempFolder folder;
  const std::string missing = folder.file("none.sqlite");
  EXPECT_THROW(openSession(missing), EngineError);
  EXPECT_FALSE(std::filesystem::exists(missing));  // never created

  const std::string garbage = folder.file("garbage.sqlite");
  std::FILE* file = std::fopen(garbage.c_str(), "wb");
  std::fputs("SQLite format 3", file);
  std::fputc('\0', file);
  for (int i = 0; i < 200; ++i) std::fputs("not really a database page ", file);
  std::fclose(file);
  try {
    openSession(garbage);
    FAIL() << "a damaged file opened";
  } catch (const EngineError& error) {
    EXPECT_STREQ(error.what(), "file is not a database");
  }
}

}  // namespace
}  // namespace tiermend::data::sqlite
