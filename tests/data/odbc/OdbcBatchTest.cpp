// Rows posted inside a transaction travel in parameter arrays; these cases check, on
// both real servers, that what the caller sees stays what row-at-a-time posting shows:
// the first refused row in posting order is reported, with the message it gives on
// its own, wherever it falls in an array; earlier rows are sent before any other
// statement; the queue never holds more than one array's rows.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Connection.h"
#include "data/ConnectionString.h"
#include "data/EngineError.h"
#include "data/Rowset.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "data/providers/odbc/OdbcSession.h"
#include "platform/Exceptions.h"
#include "tests/support/FailureText.h"
#include "tests/support/TestServer.h"

namespace tiermend::data::odbc {
namespace {

constexpr std::size_t kSmallBatch = 4;

// One posted row's grade: 0 breaks the CHECK constraint, nullopt the NOT NULL one.
using Grades = std::vector<std::optional<int>>;

class OdbcBatchTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    server = testing::makeTestServer(GetParam());
    server->sql(
        "CREATE TABLE labor (grade integer NOT NULL CHECK (grade > 0), note varchar(20));\n"
        "INSERT INTO labor (grade, note) VALUES (100, '舊資料');");
  }
  void TearDown() override { setRowsPerBatch(kRowsPerBatch); }

  std::unique_ptr<OdbcSession> open(std::size_t rowsPerBatch) {
    setRowsPerBatch(rowsPerBatch);
    std::unique_ptr<Session> session =
        openSession(ConnectionString::parse(server->oleDbConnectionString()));
    return std::unique_ptr<OdbcSession>(static_cast<OdbcSession*>(session.release()));
  }

  static void insertGrade(Session& session, std::optional<int> grade) {
    Value value = grade ? Value{std::int64_t{*grade}} : Value{Null{}};
    session.insert("labor", {"grade", "note"}, {value, std::string("第") + "級"});
  }

  // Replaces the table's rows inside a transaction as the refresh step does: stops at
  // the first failure (of a post or of the commit) and rolls back. Gives the failure's
  // message, or nothing when every row went in.
  std::optional<std::string> replaceRows(std::size_t rowsPerBatch, const Grades& grades) {
    auto session = open(rowsPerBatch);
    session->beginTransaction();
    try {
      session->execute("DELETE FROM labor");
      for (std::optional<int> grade : grades) insertGrade(*session, grade);
      session->commit();
      return std::nullopt;
    } catch (const EngineError& error) {
      session->rollback();
      return error.what();
    }
  }

  std::string rows() const { return server->sql("SELECT grade FROM labor ORDER BY grade"); }

  std::unique_ptr<testing::TestServer> server;
};

// Ten rows in arrays of four: [0..3] [4..7] [8..9].
Grades tenRowsWith(std::vector<std::pair<std::size_t, std::optional<int>>> bad) {
  Grades grades;
  for (int i = 1; i <= 10; ++i) grades.push_back(i);
  for (auto [at, grade] : bad) grades[at] = grade;
  return grades;
}

struct RefusalCase {
  const char* where;
  Grades grades;
};

TEST_P(OdbcBatchTest, FirstRefusedRowIsReportedAsRowByRowWhereverItFalls) {
  // PostgreSQL's message quotes the whole refused row, the number the server drew for
  // it included: it must be the number row-at-a-time posting draws.
  server->sql("ALTER TABLE labor ADD COLUMN id " + server->autoIncrementInteger());
  const std::vector<RefusalCase> cases = {
      {"first row of the first array", tenRowsWith({{0, 0}})},
      {"last row of the first array", tenRowsWith({{3, 0}})},
      {"first row of an array", tenRowsWith({{4, 0}})},
      {"middle of an array", tenRowsWith({{5, 0}})},
      {"last row of a full array", tenRowsWith({{7, 0}})},
      {"last row of the last, short array", tenRowsWith({{9, 0}})},
      {"check before not-null in one array", tenRowsWith({{5, 0}, {6, std::nullopt}})},
      {"not-null before check in one array", tenRowsWith({{5, std::nullopt}, {6, 0}})},
      {"refusals in two arrays", tenRowsWith({{6, std::nullopt}, {8, 0}})},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.where);
    // Both runs start numbering from the same place.
    if (std::string(GetParam()) == "postgres") server->sql("ALTER SEQUENCE labor_id_seq RESTART");
    const std::optional<std::string> oneByOne = replaceRows(1, c.grades);
    ASSERT_TRUE(oneByOne.has_value());
    if (std::string(GetParam()) == "postgres") server->sql("ALTER SEQUENCE labor_id_seq RESTART");
    EXPECT_EQ(replaceRows(kSmallBatch, c.grades), oneByOne);
    EXPECT_EQ(rows(), "100\n");
  }
}

TEST_P(OdbcBatchTest, TheRefusalNamesTheFirstRefusedRowsReason) {
  const auto checkFirst = replaceRows(kSmallBatch, tenRowsWith({{5, 0}, {6, std::nullopt}}));
  const auto nullFirst = replaceRows(kSmallBatch, tenRowsWith({{5, std::nullopt}, {6, 0}}));
  ASSERT_TRUE(checkFirst && nullFirst);
  EXPECT_NE(checkFirst->find(server->checkViolationWords()), std::string::npos) << *checkFirst;
  EXPECT_NE(*checkFirst, *nullFirst);
}

TEST_P(OdbcBatchTest, TablesOfExactlyOneArrayAndOneRowMore) {
  for (std::size_t count : {std::size_t{0}, kSmallBatch, kSmallBatch + 1, 3 * kSmallBatch + 1}) {
    SCOPED_TRACE(count);
    Grades grades;
    std::string expected;
    for (std::size_t i = 1; i <= count; ++i) {
      grades.push_back(static_cast<int>(i));
      expected += std::to_string(i) + "\n";
    }
    EXPECT_EQ(replaceRows(kSmallBatch, grades), std::nullopt);
    EXPECT_EQ(rows(), expected);
  }
}

// Values of every kind, nulls and texts of different lengths among them, arrive as
// they do one row at a time.
TEST_P(OdbcBatchTest, ArraysCarryEveryKindOfValue) {
  const std::string stamp = std::string(GetParam()) == "mariadb" ? "datetime(3)" : "timestamp(3)";
  const std::string columns =
      " (small smallint, whole integer, big bigint, amount numeric(12,4),"
      " ratio double precision, day date, stamp " +
      stamp + ", name varchar(20));\n";
  server->sql("CREATE TABLE kinds_one" + columns + "CREATE TABLE kinds_many" + columns);
  const std::vector<std::string> names = {"small", "whole", "big",   "amount",
                                          "ratio", "day",   "stamp", "name"};
  const std::vector<std::vector<Value>> rows = {
      {std::int64_t{1}, std::int64_t{-7}, std::int64_t{1} << 40, Decimal{"12.5"}, 0.25,
       DateTime{2024, 2, 29}, DateTime{2024, 2, 29, 13, 5, 9, 123}, std::string("短")},
      {Null{}, std::int64_t{2}, Null{}, Null{}, Null{}, Null{}, Null{}, Null{}},
      {std::int64_t{-3}, std::int64_t{3}, std::int64_t{-1}, Decimal{"-0.0001"}, -1e10,
       DateTime{1, 1, 1}, DateTime{9999, 12, 31, 23, 59, 59, 0}, std::string("勞保級距第一級說明")},
      {std::int64_t{4}, std::int64_t{4}, std::int64_t{4}, Decimal{"99999999.9999"}, 3.5,
       DateTime{2000, 1, 1}, DateTime{2000, 1, 1}, std::string("")},
      {std::int64_t{5}, std::int64_t{5}, std::int64_t{5}, Decimal{"5"}, 5.0, DateTime{1999, 12, 31},
       Null{}, std::string("a longer text here")},
      {std::int64_t{6}, std::int64_t{6}, Null{}, Decimal{"6.66"}, Null{}, Null{},
       DateTime{1970, 1, 1, 0, 0, 1}, std::string("x")}};
  for (auto [table, rowsPerBatch] :
       {std::pair{"kinds_one", std::size_t{1}}, std::pair{"kinds_many", kSmallBatch}}) {
    auto session = open(rowsPerBatch);
    session->beginTransaction();
    for (const auto& row : rows) session->insert(table, names, row);
    session->commit();
    EXPECT_EQ(session->arraysReplayed(), 0u) << "an array failed: " << table;
  }
  const std::string one = server->sql("SELECT * FROM kinds_one ORDER BY whole");
  EXPECT_EQ(server->sql("SELECT * FROM kinds_many ORDER BY whole"), one);
  EXPECT_NE(one.find("勞保級距第一級說明"), std::string::npos) << one;
}

TEST_P(OdbcBatchTest, QueueNeverHoldsMoreThanOneArray) {
  auto session = open(kSmallBatch);
  session->beginTransaction();
  std::size_t most = 0;
  for (int grade = 1; grade <= 50; ++grade) {
    insertGrade(*session, grade);
    most = std::max(most, session->queuedRows());
  }
  EXPECT_EQ(most, kSmallBatch - 1);
  EXPECT_EQ(session->lastArray().rows, kSmallBatch);
  EXPECT_FALSE(session->lastArray().failed);
  session->commit();
  EXPECT_EQ(session->queuedRows(), 0u);
  EXPECT_EQ(server->sql("SELECT count(*) FROM labor"), "51\n");
}

TEST_P(OdbcBatchTest, QueuedRowsGoBeforeAnyOtherStatement) {
  // The server numbers the rows in the order they arrive.
  server->sql("ALTER TABLE labor ADD COLUMN id " + server->autoIncrementInteger());
  auto session = open(kSmallBatch);
  session->beginTransaction();
  insertGrade(*session, 1);
  insertGrade(*session, 2);
  ASSERT_EQ(session->queuedRows(), 2u);
  auto cursor = session->query("SELECT count(*) FROM labor");
  std::vector<Value> row;
  ASSERT_TRUE(cursor && cursor->fetch(row));
  EXPECT_EQ(row.at(0), Value{std::int64_t{3}});
  insertGrade(*session, 3);
  EXPECT_EQ(session->execute("UPDATE labor SET note = 'x' WHERE grade < 10"), 3);
  // Another column list is another insert: the rows before it go first, in order.
  insertGrade(*session, 4);
  session->insert("labor", {"grade"}, {std::int64_t{5}});
  insertGrade(*session, 6);
  session->commit();
  EXPECT_EQ(server->sql("SELECT grade FROM labor ORDER BY id"), "100\n1\n2\n3\n4\n5\n6\n");
}

TEST_P(OdbcBatchTest, RollbackDropsQueuedRows) {
  auto session = open(kSmallBatch);
  session->beginTransaction();
  insertGrade(*session, 0);  // refused, but never sent
  session->rollback();
  EXPECT_EQ(session->queuedRows(), 0u);
  insertGrade(*session, 7);
  EXPECT_EQ(rows(), "7\n100\n");
}

TEST_P(OdbcBatchTest, OutsideATransactionEveryRowIsSentAtOnce) {
  auto session = open(kSmallBatch);
  insertGrade(*session, 7);
  EXPECT_EQ(session->queuedRows(), 0u);
  EXPECT_EQ(rows(), "7\n100\n");
  EXPECT_THROW(insertGrade(*session, 0), EngineError);
}

// What each driver says about an array with one refused row, as observed: psqlODBC
// and MariaDB Connector/ODBC both fail the whole execution. The session does not rely
// on either: it goes back to its savepoint and finds the row itself.
TEST_P(OdbcBatchTest, DriverFailsTheArrayThatHoldsARefusedRow) {
  auto session = open(kSmallBatch);
  session->beginTransaction();
  insertGrade(*session, 1);
  insertGrade(*session, 2);
  insertGrade(*session, 0);
  // The fourth row fills the array, which is sent at once.
  EXPECT_THROW(insertGrade(*session, 4), EngineError);
  const ArrayOutcome& outcome = session->lastArray();
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.rows, kSmallBatch);
  std::string statuses;
  for (SQLUSMALLINT s : outcome.statuses) statuses += std::to_string(s) + " ";
  RecordProperty("statuses", statuses);
  RecordProperty("processed", std::to_string(outcome.processed));
  std::printf("%s: statuses %s processed %lu\n", GetParam(), statuses.c_str(),
              static_cast<unsigned long>(outcome.processed));
  session->rollback();
}

// A text the column cannot take, in the row after a refused one of the same array:
// the refused row is the failure, as it would have been at its own post.
TEST_P(OdbcBatchTest, ConversionFailureAfterARefusedRowReportsTheRefusedRow) {
  setRowsPerBatch(kSmallBatch);
  const TextSettings settings{CodePage(65001), RegionalSettings{}};
  struct Case {
    const char* where;
    std::vector<const char*> grades;  // the last one cannot be converted
    bool refusedFirst;
  };
  for (const Case& c :
       {Case{"refused row just before", {"1", "0", "abc"}, true},
        Case{"refused row in an earlier array", {"0", "1", "2", "3", "4", "x"}, true},
        Case{"no refused row", {"1", "2", "abc"}, false}}) {
    SCOPED_TRACE(c.where);
    Connection connection("C", settings);
    connection.setConnectionString(server->oleDbConnectionString());
    Rowset rowset("Q", connection);
    rowset.addSql("select grade, note from labor");
    rowset.open();
    connection.beginTransaction();
    const auto postAll = [&] {
      for (const char* grade : c.grades) {
        rowset.append();
        rowset.field(0).setAsString(grade);
        rowset.post();
      }
    };
    const std::string failure = testing::failureTextOf<Exception>(postAll).value_or("");
    connection.rollback();
    if (c.refusedFirst) {
      EXPECT_NE(failure.find(server->checkViolationWords()), std::string::npos) << failure;
    } else {
      EXPECT_EQ(failure, "'abc' is not a valid integer value for field 'grade'");
    }
    EXPECT_EQ(rows(), "100\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, OdbcBatchTest, ::testing::Values("postgres", "mariadb"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace tiermend::data::odbc
