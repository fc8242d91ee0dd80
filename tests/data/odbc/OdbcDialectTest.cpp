// What the provider says and expects differently on each database system.
#include <gtest/gtest.h>

#include "data/LockWait.h"
#include "data/providers/odbc/OdbcDialect.h"
#include "data/providers/odbc/OdbcServerFilledColumns.h"

namespace tiermend::data::odbc {
namespace {

TEST(DatabaseSystemTest, IsTheSystemTheDriverNames) {
  const struct {
    const char* dbmsName;
    DatabaseSystem system;
  } cases[] = {
      {"Microsoft SQL Server", DatabaseSystem::SqlServer},
      {"SQL Server", DatabaseSystem::SqlServer},
      {"PostgreSQL", DatabaseSystem::PostgreSql},
      {"MariaDB", DatabaseSystem::MariaDb},
      {"MySQL", DatabaseSystem::MariaDb},
      {"SQLite", DatabaseSystem::Other},
      {"", DatabaseSystem::Other},
  };
  for (const auto& c : cases) EXPECT_EQ(databaseSystemNamed(c.dbmsName), c.system) << c.dbmsName;
}

TEST(DialectTest, LockWaitIsBoundedInEachSystemsOwnSettingAndUnit) {
  const std::string wait = std::to_string(kLockWaitSeconds);
  const struct {
    DatabaseSystem system;
    std::string statement;
  } cases[] = {
      {DatabaseSystem::SqlServer, "SET LOCK_TIMEOUT " + std::to_string(kLockWaitSeconds * 1000)},
      {DatabaseSystem::PostgreSql, "SET lock_timeout = '" + wait + "s'"},
      {DatabaseSystem::MariaDb,
       "SET SESSION innodb_lock_wait_timeout = " + wait + ", lock_wait_timeout = " + wait},
      {DatabaseSystem::Other, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Dialect(c.system).lockWaitStatement(kLockWaitSeconds), c.statement);
}

TEST(DialectTest, SqlServerSavesTransactionsOthersTakeStandardSavepoints) {
  const SavepointStatements server = Dialect(DatabaseSystem::SqlServer).savepoints("p");
  EXPECT_EQ(server.set, "SAVE TRANSACTION p");
  EXPECT_EQ(server.rollbackTo, "ROLLBACK TRANSACTION p");
  EXPECT_EQ(server.release, "");
  for (DatabaseSystem system :
       {DatabaseSystem::PostgreSql, DatabaseSystem::MariaDb, DatabaseSystem::Other}) {
    const SavepointStatements standard = Dialect(system).savepoints("p");
    EXPECT_EQ(standard.set, "SAVEPOINT p");
    EXPECT_EQ(standard.rollbackTo, "ROLLBACK TO SAVEPOINT p");
    EXPECT_EQ(standard.release, "RELEASE SAVEPOINT p");
  }
}

// Error numbers mean different things on different systems: 1205 is MariaDB's lock
// wait timeout but SQL Server's deadlock, 1222 SQL Server's lock timeout but a MariaDB
// error about column counts.
TEST(DialectTest, ALockTimeoutIsRecognisedInTheWordsOfItsOwnSystem) {
  using enum DatabaseSystem;
  const struct {
    DatabaseSystem system;
    DiagnosticFacts record;
    bool lockTimeout;
  } cases[] = {
      {SqlServer, {"HYT00", 1222, "Lock request time out period exceeded."}, true},
      {SqlServer, {"42000", 33557097, "canceling statement due to lock timeout"}, true},
      {SqlServer, {"40001", 1205, "Transaction was deadlocked on lock resources"}, false},
      {SqlServer,
       {"23000", 547, "The INSERT statement conflicted with the CHECK constraint"},
       false},
      {PostgreSql, {"55P03", 7, "canceling statement due to lock timeout"}, true},
      {PostgreSql, {"23514", 7, "new row violates check constraint"}, false},
      {MariaDb, {"HY000", 1205, "Lock wait timeout exceeded; try restarting transaction"}, true},
      {MariaDb,
       {"21000", 1222, "The used SELECT statements have a different number of columns"},
       false},
      {MariaDb, {"40001", 1213, "Deadlock found when trying to get lock"}, false},
      {Other, {"HY000", 1205, "Lock wait timeout exceeded"}, false},
      {Other, {"HYT00", 1222, "Lock request time out period exceeded."}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record.message);
    EXPECT_EQ(Dialect(c.system).isLockTimeout(c.record), c.lockTimeout);
  }
}

TEST(DialectTest, OnlySqlServerIsAskedForTheColumnsItFillsIn) {
  EXPECT_EQ(
      Dialect(DatabaseSystem::SqlServer).serverFilledColumnsQuery("retire"),
      "SELECT name, CAST(is_identity AS int) FROM sys.columns WHERE object_id = "
      "OBJECT_ID(N'retire') AND (is_identity = 1 OR is_computed = 1 OR system_type_id = 189)");
  // The name is a literal whatever it holds.
  EXPECT_NE(Dialect(DatabaseSystem::SqlServer)
                .serverFilledColumnsQuery("o'brien")
                .find("OBJECT_ID(N'o''brien')"),
            std::string::npos);
  for (DatabaseSystem system :
       {DatabaseSystem::PostgreSql, DatabaseSystem::MariaDb, DatabaseSystem::Other})
    EXPECT_EQ(Dialect(system).serverFilledColumnsQuery("retire"), "");
}

// Each system's multi-row statement carries as many rows as its parameter limit lets
// it: SQL Server 2,100 parameters a request, three of which FreeTDS's sp_prepexec takes
// itself, and no more than 1,000 rows in a VALUES list; MariaDB 65,535; PostgreSQL
// 7,498, the most whose description libpq reads (its messages but a few stop at 30,000
// bytes), where the server itself would take 65,535.
TEST(DialectTest, MultiRowStatementsAreSizedToEachSystemsParameterLimit) {
  using enum DatabaseSystem;
  const struct {
    DatabaseSystem system;
    std::size_t columns;
    std::size_t rows;
  } cases[] = {
      {SqlServer, 14, 149}, {SqlServer, 8, 262},   {SqlServer, 7, 299},  {SqlServer, 5, 419},
      {SqlServer, 3, 699},  {SqlServer, 2, 1000},  {SqlServer, 1, 1000}, {SqlServer, 2097, 1},
      {SqlServer, 2098, 0}, {PostgreSql, 14, 535}, {PostgreSql, 8, 937}, {PostgreSql, 1, 7498},
      {MariaDb, 7, 9362},   {MariaDb, 5, 13107},   {MariaDb, 65536, 0},  {Other, 7, 0},
      {PostgreSql, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Dialect(c.system).rowsPerStatement(c.columns), c.rows)
        << static_cast<int>(c.system) << ", " << c.columns << " columns";
  // Never one parameter too many, whatever the width of the table.
  for (DatabaseSystem system : {SqlServer, PostgreSql, MariaDb}) {
    const Dialect dialect(system);
    EXPECT_EQ(dialect.parametersPerStatement(), system == SqlServer    ? 2097u
                                                : system == PostgreSql ? 7498u
                                                                       : 65535u);
    for (std::size_t columns = 1; columns <= 3000; ++columns)
      ASSERT_LE(dialect.rowsPerStatement(columns) * columns, dialect.parametersPerStatement())
          << columns;
  }
}

// How rows travel into a table follows from what the server says of it: PostgreSQL
// counts what an insert fires at the statement's end, MariaDB names the table's engine
// and the session's SQL mode. Unknown tables and systems get the careful answer.
TEST(DialectTest, RowsTravelAsTheServersAnswerAllows) {
  using enum DatabaseSystem;
  using Answer = std::vector<std::vector<Value>>;
  const std::string strict = "STRICT_TRANS_TABLES,ERROR_FOR_DIVISION_BY_ZERO";
  const struct {
    const char* what;
    DatabaseSystem system;
    Answer answer;
    RowsTravel travel;
  } cases[] = {
      {"nothing fires at the end", PostgreSql, {{std::int64_t{0}}}, RowsTravel::MultiRow},
      {"triggers or rules", PostgreSql, {{std::int64_t{2}}}, RowsTravel::Arrays},
      {"not a plain table", PostgreSql, {}, RowsTravel::Arrays},
      {"a null count", PostgreSql, {{Null{}}}, RowsTravel::Arrays},
      {"InnoDB, strict", MariaDb, {{std::string("InnoDB"), strict}}, RowsTravel::MultiRow},
      {"any case",
       MariaDb,
       {{std::string("innodb"), std::string("strict_all_tables")}},
       RowsTravel::MultiRow},
      {"InnoDB, not strict",
       MariaDb,
       {{std::string("InnoDB"), std::string("")}},
       RowsTravel::Arrays},
      {"MyISAM", MariaDb, {{std::string("MyISAM"), strict}}, RowsTravel::OneByOne},
      {"a view", MariaDb, {{Null{}, strict}}, RowsTravel::OneByOne},
      {"no such table", MariaDb, {}, RowsTravel::OneByOne},
      {"no insert trigger", SqlServer, {{std::int64_t{0}}}, RowsTravel::MultiRow},
      {"insert triggers", SqlServer, {{std::int64_t{1}}}, RowsTravel::Arrays},
      {"the server could not say", SqlServer, {}, RowsTravel::Arrays},
      {"another system", Other, {}, RowsTravel::Arrays},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Dialect(c.system).rowsTravelFrom(c.answer), c.travel) << c.what;
}

TEST(DialectTest, TheRowsTravelQuestionNamesTheTableAsALiteral) {
  const std::string postgres = Dialect(DatabaseSystem::PostgreSql).rowsTravelQuestion("a\"b'c");
  EXPECT_NE(postgres.find("to_regclass('\"a\"\"b''c\"')"), std::string::npos) << postgres;
  const std::string maria = Dialect(DatabaseSystem::MariaDb).rowsTravelQuestion("it's\\");
  EXPECT_NE(maria.find("TABLE_NAME = 'it''s\\\\'"), std::string::npos) << maria;
  const std::string sqlServer = Dialect(DatabaseSystem::SqlServer).rowsTravelQuestion("it's");
  EXPECT_NE(sqlServer.find("OBJECT_ID(N'it''s')"), std::string::npos) << sqlServer;
  EXPECT_EQ(Dialect(DatabaseSystem::Other).rowsTravelQuestion("labor"), "");
}

// A cursor over the rows the server gives for the server-filled columns query.
class RowsCursor : public Cursor {
 public:
  explicit RowsCursor(std::vector<std::vector<Value>> rows) : rows_(std::move(rows)) {}
  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  const std::string& baseTable() const override { return table_; }
  bool fetch(std::vector<Value>& row) override {
    if (next_ == rows_.size()) return false;
    row = rows_[next_++];
    return true;
  }

 private:
  std::vector<ColumnInfo> columns_;
  std::string table_;
  std::vector<std::vector<Value>> rows_;
  std::size_t next_ = 0;
};

TEST(ServerFilledColumnsTest, IdentityBecomesAnAutoNumberComputedColumnsReadOnly) {
  RowsCursor answer({{std::string("ID"), std::int64_t{1}},
                     {std::string("total"), std::int64_t{0}},
                     {std::string("stamp"), std::int64_t{0}}});
  const std::vector<ServerFilledColumn> filled = readServerFilledColumns(answer);
  ASSERT_EQ(filled.size(), 3u);

  std::vector<ColumnInfo> columns(4);
  columns[0].name = "id";
  columns[1].name = "grade";
  columns[2].name = "Total";
  columns[3].name = "stamp";
  markServerFilled(columns, filled);
  EXPECT_TRUE(columns[0].autoIncrement);
  EXPECT_TRUE(columns[0].updatable);
  EXPECT_FALSE(columns[1].autoIncrement);
  EXPECT_TRUE(columns[1].updatable);
  EXPECT_FALSE(columns[2].autoIncrement);
  EXPECT_FALSE(columns[2].updatable);
  EXPECT_FALSE(columns[3].updatable);
}

}  // namespace
}  // namespace tiermend::data::odbc
