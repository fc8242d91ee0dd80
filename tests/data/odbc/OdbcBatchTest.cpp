// Rows posted inside a transaction travel together, in multi-row statements or in
// parameter arrays as the table calls for; these cases check, on every real server (a
// SQL Server only when the environment names one) and each way of travelling, that what the caller
// sees stays what row-at-a-time posting shows: the first refused row in posting order is reported,
// with the message it gives on its own, wherever it falls in a batch and whatever refused it (a
// CHECK, NOT NULL, a unique index, a foreign key); earlier rows are sent before any other
// statement; the queue never holds more than one batch's rows.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Connection.h"
#include "data/ConnectionString.h"
#include "data/EngineError.h"
#include "data/Rowset.h"
#include "data/providers/odbc/OdbcDiagnostics.h"
#include "data/providers/odbc/OdbcHandles.h"
#include "data/providers/odbc/OdbcParameterBlock.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "data/providers/odbc/OdbcSession.h"
#include "data/providers/odbc/OdbcSqlText.h"
#include "data/providers/odbc/OdbcText.h"
#include "platform/Exceptions.h"
#include "tests/support/FailureText.h"
#include "tests/support/TestServer.h"

namespace tiermend::data::odbc {
namespace {

constexpr std::size_t kSmallBatch = 4;

// One posted row's grade: 0 breaks the CHECK constraint, nullopt the NOT NULL one, a
// grade posted before breaks the unique index.
using Grades = std::vector<std::optional<int>>;

// A server, and the way the rows of its table are meant to travel: a plain table takes
// multi-row statements; a PostgreSQL table whose inserts fire a trigger after the row, a
// SQL Server table with an insert trigger, or a MariaDB session out of strict mode, takes
// arrays.
struct Route {
  const char* kind;
  RowsTravel travel;
};

std::string routeName(const ::testing::TestParamInfo<Route>& info) {
  return std::string(info.param.kind) +
         (info.param.travel == RowsTravel::MultiRow ? "_multirow" : "_arrays");
}

class OdbcBatchTest : public ::testing::TestWithParam<Route> {
 protected:
  void SetUp() override {
    if (const std::string why = testing::testServerUnavailable(GetParam().kind); !why.empty())
      GTEST_SKIP() << why;
    server = testing::makeTestServer(GetParam().kind);
    server->sql("CREATE TABLE labor (grade integer NOT NULL CHECK (grade > 0), note " +
                server->unicodeVarchar(20) +
                ");\n"
                "CREATE UNIQUE INDEX labor_grade ON labor (grade);\n"
                "INSERT INTO labor (grade, note) VALUES (100, N'舊資料');");
    routeRowsOf("labor");
  }
  void TearDown() override { setRowsPerBatch(kRowsPerBatch); }

  bool postgres() const { return std::string(GetParam().kind) == "postgres"; }
  bool mariadb() const { return std::string(GetParam().kind) == "mariadb"; }
  bool sqlServer() const { return std::string(GetParam().kind) == "sqlserver"; }
  bool arrays() const { return GetParam().travel == RowsTravel::Arrays; }

  // Sets a table up so that its rows take the route meant: on PostgreSQL, arrays for a
  // table with a trigger that fires after each row (one that does nothing); on SQL
  // Server, for a table with an insert trigger (one that does nothing).
  void routeRowsOf(const std::string& table) {
    if (!arrays()) return;
    if (postgres()) {
      server->sql(
          "CREATE OR REPLACE FUNCTION nothing_done() RETURNS trigger LANGUAGE plpgsql AS "
          "'BEGIN RETURN NULL; END';\n"
          "CREATE TRIGGER after_row AFTER INSERT ON " +
          table + " FOR EACH ROW EXECUTE FUNCTION nothing_done();");
    } else if (sqlServer()) {
      server->sql("CREATE TRIGGER " + table + "_after_insert ON " + table +
                  " AFTER INSERT AS SET NOCOUNT ON");
    }
  }

  std::unique_ptr<OdbcSession> open(std::size_t rowsPerBatch) {
    setRowsPerBatch(rowsPerBatch);
    std::unique_ptr<Session> session =
        openSession(ConnectionString::parse(server->oleDbConnectionString()));
    routeRowsOf(*session);
    return std::unique_ptr<OdbcSession>(static_cast<OdbcSession*>(session.release()));
  }

  // On MariaDB, arrays for a session out of strict mode.
  void routeRowsOf(Session& session) const {
    if (mariadb() && arrays()) session.execute("SET SESSION sql_mode = ''");
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

TEST_P(OdbcBatchTest, RowsTakeTheRouteTheTableCallsFor) {
  auto session = open(kSmallBatch);
  session->beginTransaction();
  EXPECT_EQ(session->rowsTravelInto("labor"), GetParam().travel);
  session->rollback();
}

TEST_P(OdbcBatchTest, FirstRefusedRowIsReportedAsRowByRowWhereverItFalls) {
  // PostgreSQL's message quotes the whole refused row, the number the server drew for
  // it included: it must be the number row-at-a-time posting draws.
  server->sql(server->addColumn("labor", "id " + server->autoIncrementInteger()));
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
      // Only the server knows these: a grade already posted, in the same batch or an
      // earlier one.
      {"duplicate in the first array", tenRowsWith({{2, 1}})},
      {"duplicate of a row of the same array", tenRowsWith({{6, 5}})},
      {"duplicate of a row of an earlier array", tenRowsWith({{9, 2}})},
      {"check before a duplicate in one array", tenRowsWith({{4, 0}, {6, 5}})},
      {"duplicate before a check in one array", tenRowsWith({{5, 1}, {6, 0}})},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.where);
    // Both runs start numbering from the same place.
    if (postgres()) server->sql("ALTER SEQUENCE labor_id_seq RESTART");
    const std::optional<std::string> oneByOne = replaceRows(1, c.grades);
    ASSERT_TRUE(oneByOne.has_value());
    if (postgres()) server->sql("ALTER SEQUENCE labor_id_seq RESTART");
    EXPECT_EQ(replaceRows(kSmallBatch, c.grades), oneByOne);
    EXPECT_EQ(rows(), "100\n");
  }
}

// A foreign key is checked when the statement ends on PostgreSQL (by a trigger after
// the row), so a multi-row statement would report a CHECK refusal of a later row
// first: its rows travel in arrays, which psqlODBC runs row after row. MariaDB checks
// it as each row goes in. SQL Server may check it after the statement's other
// constraints, but a refused statement is taken back and its rows sent again one by one.
TEST_P(OdbcBatchTest, AForeignKeyRefusalComesFirstWhenItsRowDoes) {
  server->sql(
      "CREATE TABLE grades (grade integer PRIMARY KEY);\n"
      "INSERT INTO grades VALUES (1), (2), (3), (4), (6), (7), (8), (9), (10), (100);\n"
      "ALTER TABLE labor ADD CONSTRAINT labor_graded FOREIGN KEY (grade) REFERENCES grades "
      "(grade);");
  {
    auto session = open(kSmallBatch);
    session->beginTransaction();
    EXPECT_EQ(session->rowsTravelInto("labor"),
              postgres() ? RowsTravel::Arrays : GetParam().travel);
    session->rollback();
  }
  // Grade 5 has no row in grades: the fifth row, first of the second array, is refused
  // by the foreign key.
  const struct {
    const char* where;
    Grades grades;
    bool foreignKeyFirst;
  } cases[] = {
      {"the foreign key alone", tenRowsWith({}), true},
      {"a CHECK later in the same array", tenRowsWith({{6, 0}}), true},
      {"a CHECK earlier in the same array", tenRowsWith({{4, 0}, {5, 5}}), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    const std::optional<std::string> oneByOne = replaceRows(1, c.grades);
    ASSERT_TRUE(oneByOne.has_value());
    EXPECT_EQ(oneByOne->find("labor_graded") != std::string::npos, c.foreignKeyFirst) << *oneByOne;
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
// they do one row at a time. The rows go three times over in batches of four, so that
// each place of a statement takes values of other rows in turn (a null after a value,
// a longer text after a shorter one).
TEST_P(OdbcBatchTest, BatchesCarryEveryKindOfValue) {
  const std::string stamp = postgres()    ? "timestamp(3)"
                            : sqlServer() ? "datetime2(3)"
                                          : "datetime(3)";
  const std::string columns =
      " (small smallint, whole integer, big bigint, amount numeric(12,4),"
      " ratio double precision, day date, stamp " +
      stamp + ", name " + server->unicodeVarchar(20) + ");\n";
  server->sql("CREATE TABLE kinds_one" + columns + "CREATE TABLE kinds_many" + columns);
  routeRowsOf("kinds_many");
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
    for (int time = 0; time < 3; ++time)
      for (const auto& row : rows) session->insert(table, names, row);
    session->commit();
    const BatchCounts& counts = session->batchCounts();
    EXPECT_EQ(counts.replayed, 0u) << "a batch failed: " << table;
    if (rowsPerBatch > 1) {
      EXPECT_EQ(arrays() ? counts.arrays : counts.multiRowStatements, 5u) << "4 x 4 rows, then 2";
    }
  }
  const std::string order = " ORDER BY whole, small, big, amount, ratio, day, stamp, name";
  // bsqldb prints no date or datetime2 value: SQL Server's are selected as text.
  const std::string select =
      sqlServer() ? "SELECT small, whole, big, amount, ratio, CONVERT(varchar(10), day, 23),"
                    " CONVERT(varchar(23), stamp, 121), name FROM "
                  : "SELECT * FROM ";
  const std::string one = server->sql(select + "kinds_one" + order);
  EXPECT_EQ(server->sql(select + "kinds_many" + order), one);
  EXPECT_NE(one.find("勞保級距第一級說明"), std::string::npos) << one;
}

// An INSERT of two rows a statement into a table, prepared once, through which the
// binding tests send batches; send() says how many bindings the block has made so far.
class TwoRowInsert {
 public:
  TwoRowInsert(testing::TestServer& server, const std::string& table,
               const std::vector<std::string>& columns, std::vector<ParameterTarget> targets)
      : connection_(environment_), targets_(std::move(targets)) {
    connection_.connect(server.odbcConnectionString());
    statement_ = std::make_unique<StatementHandle>(connection_);
    WideString text = toWide(insertStatement(table, columns, " ", 2));
    checkResult(SQLPrepareW(statement_->get(), text.data(), static_cast<SQLINTEGER>(text.size())),
                SQL_HANDLE_STMT, statement_->get(), "preparing the insert");
  }

  std::size_t send(const std::vector<std::vector<Value>>& values) {
    std::vector<ParameterSet> rows;
    for (const auto& row : values) rows.emplace_back(row, targets_);
    block_.load(statement_->get(), rows);
    checkResult(SQLExecute(statement_->get()), SQL_HANDLE_STMT, statement_->get(), "adding rows");
    SQLFreeStmt(statement_->get(), SQL_CLOSE);
    return block_.bindings();
  }

 private:
  Environment environment_;
  ConnectionHandle connection_;
  std::unique_ptr<StatementHandle> statement_;
  std::vector<ParameterTarget> targets_;
  ParameterBlock block_{4};
};

// A multi-row statement's parameters are bound once for all its batches: a batch whose
// values keep their types and fit binds nothing again (on SQL Server any binding makes
// FreeTDS prepare the statement anew). A parameter is bound for its column: a null in
// the first batch takes the type of its column's values (here from the column's SQL
// type, every note of the first batch being null), a later null leaves its parameter as
// it was, a text gets room for as many characters as its column holds, and only a text
// longer than that binds its parameter again. The column is described to the block as
// holding 10 characters (it holds 20), so that the longer text still goes in.
TEST_P(OdbcBatchTest, AStatementsParametersAreBoundOnceForItsBatches) {
  if (arrays()) GTEST_SKIP() << "multi-row statements only";
  TwoRowInsert insert(*server, "labor", {"grade", "note"},
                      {{SQL_INTEGER, 10, 0}, {SQL_VARCHAR, 10, 0}});
  const auto send = [&](std::vector<std::vector<Value>> values) { return insert.send(values); };
  using V = std::vector<std::vector<Value>>;
  EXPECT_EQ(send(V{{std::int64_t{1}, Null{}}, {std::int64_t{2}, Null{}}}), 4u);
  EXPECT_EQ(send(V{{std::int64_t{3}, std::string("ef")}, {std::int64_t{4}, Null{}}}), 4u);
  EXPECT_EQ(send(V{{std::int64_t{5}, std::string("ghijklmnop")},
                   {std::int64_t{6}, std::string("第二級")}}),
            4u);
  EXPECT_EQ(send(V{{std::int64_t{7}, std::string("a much longer note")},
                   {std::int64_t{8}, std::string("x")}}),
            5u);
  EXPECT_EQ(server->sql("SELECT grade, note FROM labor ORDER BY grade"),
            "1|\n2|\n3|ef\n4|\n5|ghijklmnop\n6|第二級\n7|a much longer note\n8|x\n100|舊資料\n");
}

// A null in a statement's first batch is bound as its column's other values in that
// batch are, so that the next batch, whose values keep those types, binds nothing.
TEST_P(OdbcBatchTest, AFirstNullIsBoundAsItsColumnsValues) {
  if (arrays()) GTEST_SKIP() << "multi-row statements only";
  server->sql("CREATE TABLE amounts (amount bigint, share numeric(19,4));");
  // A bigint described as numeric, so that its type alone would not say how its values
  // are bound.
  TwoRowInsert insert(*server, "amounts", {"amount", "share"},
                      {{SQL_NUMERIC, 19, 0}, {SQL_NUMERIC, 19, 4}});
  const auto send = [&](std::vector<std::vector<Value>> values) { return insert.send(values); };
  using V = std::vector<std::vector<Value>>;
  EXPECT_EQ(send(V{{Null{}, Null{}}, {std::int64_t{2}, Decimal{"0.5"}}}), 4u);
  EXPECT_EQ(send(V{{std::int64_t{3}, Decimal{"-123456789012345.6789"}}, {Null{}, Null{}}}), 4u);
  EXPECT_EQ(server->sql("SELECT amount, share FROM amounts ORDER BY coalesce(amount, 0)"),
            "|\n|\n2|0.5000\n3|-123456789012345.6789\n");
}

// A table of 14 columns, the widest bracket table, in batches as large as the tool
// sends: each statement carries as many rows as the system's limit on parameters
// allows (on PostgreSQL, as many as libpq can read the description of).
TEST_P(OdbcBatchTest, AWideTablesBatchesStayWithinTheParameterLimit) {
  if (arrays()) GTEST_SKIP() << "multi-row statements only";
  std::string columns;
  std::vector<std::string> names;
  for (int i = 0; i < 14; ++i) {
    names.push_back("c" + std::to_string(i));
    columns += (i == 0 ? "" : ", ") + names.back() + " integer";
  }
  server->sql("CREATE TABLE wide (" + columns + ");");
  auto session = open(kRowsPerBatch);
  session->beginTransaction();
  const std::size_t perStatement = std::min(kRowsPerBatch, session->dialect().rowsPerStatement(14));
  const std::size_t count = 2 * perStatement + 30;
  for (std::size_t row = 0; row < count; ++row)
    session->insert("wide", names, std::vector<Value>(14, Value{std::int64_t(row)}));
  session->commit();
  EXPECT_EQ(session->batchCounts().multiRowStatements, 3u);
  EXPECT_EQ(session->batchCounts().rowsInStatements, count);
  EXPECT_EQ(server->sql("SELECT count(*), sum(c13) FROM wide"),
            std::to_string(count) + "|" + std::to_string(count * (count - 1) / 2) + "\n");
}

TEST_P(OdbcBatchTest, QueueNeverHoldsMoreThanOneBatch) {
  auto session = open(kSmallBatch);
  session->beginTransaction();
  std::size_t most = 0;
  for (int grade = 1; grade <= 50; ++grade) {
    insertGrade(*session, grade);
    most = std::max(most, session->queuedRows());
  }
  EXPECT_EQ(most, kSmallBatch - 1);
  // Twelve full batches have gone, two rows wait.
  const BatchCounts& counts = session->batchCounts();
  if (arrays()) {
    EXPECT_EQ(counts.arrays, 12u);
    EXPECT_EQ(session->lastArray().rows, kSmallBatch);
    EXPECT_FALSE(session->lastArray().failed);
  } else {
    EXPECT_EQ(counts.multiRowStatements, 12u);
    EXPECT_EQ(counts.rowsInStatements, 12 * kSmallBatch);
  }
  session->commit();
  EXPECT_EQ(session->queuedRows(), 0u);
  EXPECT_EQ(server->sql("SELECT count(*) FROM labor"), "51\n");
}

TEST_P(OdbcBatchTest, QueuedRowsGoBeforeAnyOtherStatement) {
  // The server numbers the rows in the order they arrive.
  server->sql(server->addColumn("labor", "id " + server->autoIncrementInteger()));
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
  if (!arrays()) GTEST_SKIP() << "rows in multi-row statements";
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
  std::printf("%s: statuses %s processed %lu\n", GetParam().kind, statuses.c_str(),
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
    connection.open();
    routeRowsOf(connection.session());
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

// Rows into a MariaDB table whose engine cannot take a statement back (MyISAM) go one
// by one: a batch refused part-way could be neither taken back nor sent again, and each
// refusal is raised at its own post.
TEST_P(OdbcBatchTest, RowsIntoATableThatCannotTakeABatchBackGoOneByOne) {
  if (!mariadb() || arrays()) GTEST_SKIP() << "MariaDB's MyISAM, once";
  server->sql("ALTER TABLE labor ENGINE = MyISAM");
  auto session = open(kSmallBatch);
  session->beginTransaction();
  EXPECT_EQ(session->rowsTravelInto("labor"), RowsTravel::OneByOne);
  for (int grade = 1; grade <= 9; ++grade) {
    insertGrade(*session, grade);
    EXPECT_EQ(session->queuedRows(), 0u);
  }
  EXPECT_THROW(insertGrade(*session, 0), EngineError);
  const BatchCounts& counts = session->batchCounts();
  EXPECT_EQ(counts.multiRowStatements + counts.arrays + counts.replayed, 0u);
  session->rollback();
}

INSTANTIATE_TEST_SUITE_P(Servers, OdbcBatchTest,
                         ::testing::Values(Route{"postgres", RowsTravel::MultiRow},
                                           Route{"postgres", RowsTravel::Arrays},
                                           Route{"mariadb", RowsTravel::MultiRow},
                                           Route{"mariadb", RowsTravel::Arrays},
                                           Route{"sqlserver", RowsTravel::MultiRow},
                                           Route{"sqlserver", RowsTravel::Arrays}),
                         routeName);

}  // namespace
}  // namespace tiermend::data::odbc
