// The refresh chain into a SQL-server-kind target: Link.txt of kind "1" naming an ODBC
// data source on a private PostgreSQL or MariaDB server, or on a SQL Server the
// environment names (skipped when none is), the real Access package as the source. Every
// case runs against each server, with rows sent in multi-row statements as the tool
// sends them, and again with small batches so that tables span many statements: a row
// refused in the first, a middle or the last of them is reported as row-at-a-time
// posting reports it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "ToolRun.h"
#include "data/LockWait.h"
#include "data/ProviderChoice.h"
#include "data/providers/odbc/OdbcDialect.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "data/providers/odbc/OdbcSession.h"
#include "refresh/BracketTables.h"
#include "tests/support/TestServer.h"
#include "tests/support/WorkingFolder.h"

namespace tiermend::refresh {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// The bracket tables with one older row each, and a table of the customer's own. Texts
// are national (N'...') literals, which every server takes and SQL Server needs for
// Chinese.
std::string targetSchema(const testing::TestServer& server) {
  std::ifstream in(std::string(TIERMEND_TESTDATA) + "/" + server.bracketTablesSchema());
  std::stringstream schema;
  schema << in.rdbuf();
  return schema.str() + "\nCREATE TABLE readme (content " + server.unicodeVarchar(100) + ");" +
         R"(
INSERT INTO health_insu VALUES (1, 100, 1, 2, 3, 4, 5, 6);
INSERT INTO labor VALUES (1, 100, 1, 2, 3, 4, N'舊資料');
INSERT INTO incom_rep VALUES (0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
INSERT INTO retire VALUES (1, 1, 1, 2, 2);
INSERT INTO readme VALUES (N'客戶自己的說明');
)";
}

// A server kind and the rows per batch its sessions use.
struct ServerCase {
  const char* kind;
  std::size_t rowsPerBatch;
};

void PrintTo(const ServerCase& c, std::ostream* os) {
  *os << c.kind << ", " << c.rowsPerBatch << " rows per batch";
}

std::string caseName(const ::testing::TestParamInfo<ServerCase>& info) {
  return std::string(info.param.kind) + "_batch" + std::to_string(info.param.rowsPerBatch);
}

class RefreshIntoServer : public ::testing::TestWithParam<ServerCase> {
 protected:
  void SetUp() override {
    if (const std::string why = testing::testServerUnavailable(GetParam().kind); !why.empty())
      GTEST_SKIP() << why;
    data::odbc::setRowsPerBatch(GetParam().rowsPerBatch);
    pg_ = testing::makeTestServer(GetParam().kind);
    fs::copy_file(std::string(TIERMEND_FIXTURES) + "/tiermenddb.mdb", dir_ / "tiermenddb.mdb");
    pg_->sql(targetSchema(*pg_));
    // A blank password field counts as no password.
    const std::string password = pg_->adminPassword();
    writeLink("1," + pg_->dataSourceName() + "," + pg_->database() + "," + pg_->adminUser() + "," +
              (password.empty() ? " " : password) + ",R,/unused/,\r\n");
  }
  void TearDown() override { data::odbc::setRowsPerBatch(data::odbc::kRowsPerBatch); }

  void writeLink(const std::string& line) { std::ofstream(dir_ / "Link.txt") << line; }
  std::string sql(const std::string& statement) { return pg_->sql(statement); }
  std::string checkViolation() const { return pg_->checkViolationWords(); }
  // Runs the tool with a check on a table that a row of the package breaks: the run fails
  // with the server's check violation and never completes.
  ToolRun runRefusedBy(const std::string& table, const std::string& check) {
    sql("ALTER TABLE " + table + " ADD CHECK (" + check + ")");
    const ToolRun run = runTool(settings_);
    const std::string failure = run.failure.value_or("(no failure)");
    EXPECT_NE(failure.find(checkViolation()), std::string::npos) << failure;
    EXPECT_FALSE(run.completionShown);
    return run;
  }
  // Runs the tool while another session holds labor, then lets that session go through
  // `release`: the chain stops at labor with the table in use after one wait, and labor
  // keeps its rows; tables before it stay refreshed.
  void expectStoppedWhileLaborIsHeld(const std::function<void()>& release) {
    const auto start = std::chrono::steady_clock::now();
    const ToolRun run = runTool(settings_);
    const auto took = std::chrono::steady_clock::now() - start;
    release();
    EXPECT_EQ(run.failure, data::tableInUseMessage("labor"));
    EXPECT_LT(took, std::chrono::seconds(2 * data::kLockWaitSeconds));
    EXPECT_EQ(sql("select count(*) from health_insu"), "50\n");
    EXPECT_EQ(sql("select grade, note from labor"), "1|舊資料\n");
    EXPECT_EQ(sql("select count(*) from incom_rep"), "1\n");
    EXPECT_TRUE(run.buttonsDisabled);
    EXPECT_FALSE(run.completionShown);
  }

  // The rows of a table of the package, as edit text.
  Rows packageRows(const std::string& table) const {
    return editTexts(settings_, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=tiermenddb.mdb",
                     table);
  }
  data::odbc::Dialect dialect() const {
    using data::odbc::DatabaseSystem;
    if (pg_->kind() == "postgres") return data::odbc::Dialect(DatabaseSystem::PostgreSql);
    if (pg_->kind() == "sqlserver") return data::odbc::Dialect(DatabaseSystem::SqlServer);
    return data::odbc::Dialect(DatabaseSystem::MariaDb);
  }

  data::TextSettings settings_{CodePage(65001), RegionalSettings{}};
  std::unique_ptr<testing::TestServer> pg_;
  testing::WorkingFolder folder_;
  fs::path dir_ = folder_.path();
};

TEST_P(RefreshIntoServer, RefreshesAllFourTablesValueByValue) {
  data::odbc::BatchCounts counts;
  const ToolRun run = runTool(settings_, StepEnd::Commit, [&](data::Connection& target) {
    counts = static_cast<data::odbc::OdbcSession&>(target.session()).batchCounts();
  });
  EXPECT_EQ(run.failure, std::nullopt);
  EXPECT_TRUE(run.completionShown);
  std::size_t rowsInStatements = 0;
  for (const BracketTable& table : kBracketTables) {
    SCOPED_TRACE(table.table);
    const Rows package = packageRows(table.table);
    EXPECT_EQ(editTexts(settings_, pg_->oleDbConnectionString(), table.table), package);
    // Full statements of as many rows as a batch holds, then the rest: in a statement
    // of its own unless it is a single row.
    const std::size_t perStatement =
        std::min(GetParam().rowsPerBatch,
                 dialect().rowsPerStatement(static_cast<size_t>(table.columnCount)));
    rowsInStatements += package.size() - (package.size() % perStatement == 1 ? 1 : 0);
  }
  // Every table's rows went in multi-row statements, none of them sent again.
  EXPECT_EQ(counts.rowsInStatements, rowsInStatements);
  EXPECT_EQ(counts.arrays, 0u);
  EXPECT_EQ(counts.replayed, 0u);
  EXPECT_EQ(sql("select count(*), sum(insured_amount), sum(self), sum(employer) from health_insu"),
            "50|4833470|74966.0000|235397.0000\n");
  EXPECT_EQ(sql("select count(*) from labor where note = '僅適用職災保險'"), "10\n");
  EXPECT_EQ(sql("select sum(dep0), sum(dep11) from incom_rep"), "1881787|422137\n");
  EXPECT_EQ(sql("select count(*), sum(contribution_wage) from retire"), "62|3291524\n");
  EXPECT_EQ(sql("select content from readme"), "客戶自己的說明\n");
}

TEST_P(RefreshIntoServer, RefusedRowInLaborKeepsItsOldRowsAndStopsTheChain) {
  const ToolRun run = runRefusedBy("labor", "insured_salary < 40000");
  EXPECT_EQ(sql("select count(*) from health_insu"), "50\n");
  EXPECT_EQ(sql("select grade, note from labor"), "1|舊資料\n");
  EXPECT_EQ(sql("select count(*) from incom_rep"), "1\n");
  EXPECT_EQ(sql("select count(*) from retire"), "1\n");
  EXPECT_TRUE(run.buttonsDisabled);
}

// The row a server refuses, for a reason only it knows (a CHECK constraint, a unique
// index), is the failure reported, in the words row-at-a-time posting gives, wherever
// the row falls among the statements that carry labor's 38 rows (with 7 rows a batch:
// the first of six, a middle one, the last); labor keeps its old row.
TEST_P(RefreshIntoServer, ARefusedRowAnywhereInLaborIsReportedAsRowAtATimePostingReportsIt) {
  const Rows labor = packageRows("labor");
  ASSERT_EQ(labor.size(), 38u);
  const auto refusingGradeAt = [&](std::size_t position) {
    return "ALTER TABLE labor ADD CONSTRAINT refused CHECK (grade <> " + labor.at(position).at(0) +
           ")";
  };
  const std::string dropCheck = "ALTER TABLE labor DROP CONSTRAINT refused";
  const std::string dropIndex =
      pg_->kind() == "postgres" ? "DROP INDEX refused" : "DROP INDEX refused ON labor";
  const struct {
    const char* where;
    std::string add;
    std::string drop;
    std::string words;
  } cases[] = {
      {"the first statement", refusingGradeAt(2), dropCheck, checkViolation()},
      {"a middle statement", refusingGradeAt(17), dropCheck, checkViolation()},
      {"the last statement", refusingGradeAt(36), dropCheck, checkViolation()},
      // The second row's note repeats the first's.
      {"a note posted before", "CREATE UNIQUE INDEX refused ON labor (note)", dropIndex,
       "uplicate"},
      // Rows 29 to 38 share one worker share.
      {"a worker share posted before", "CREATE UNIQUE INDEX refused ON labor (worker_share)",
       dropIndex, "uplicate"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    sql(c.add);
    data::odbc::setRowsPerBatch(1);
    const ToolRun oneByOne = runTool(settings_);
    data::odbc::setRowsPerBatch(GetParam().rowsPerBatch);
    const ToolRun batched = runTool(settings_);
    ASSERT_TRUE(oneByOne.failure.has_value());
    EXPECT_NE(oneByOne.failure->find(c.words), std::string::npos) << *oneByOne.failure;
    EXPECT_EQ(batched.failure, oneByOne.failure);
    EXPECT_EQ(sql("select count(*) from health_insu"), "50\n");
    EXPECT_EQ(sql("select grade, note from labor"), "1|舊資料\n");
    EXPECT_EQ(sql("select count(*) from incom_rep"), "1\n");
    sql(c.drop);
  }
}

// How another program holds labor on each server: PostgreSQL's LOCK TABLE in ACCESS
// EXCLUSIVE mode, MariaDB's LOCK TABLES ... WRITE, SQL Server's exclusive table lock
// (TABLOCKX) held by an open transaction.
TEST_P(RefreshIntoServer, LaborLockedByAnotherSessionStopsTheChainAfterTheWait) {
  // A lock wait is the same whatever the batch size; one case per server keeps the
  // waits few.
  if (pg_->kind() != "postgres" && GetParam().rowsPerBatch != data::odbc::kRowsPerBatch)
    GTEST_SKIP() << "one batch size is enough for a lock wait";
  auto holder = data::openSessionFor(pg_->oleDbConnectionString());
  if (pg_->kind() == "postgres") {
    holder->beginTransaction();
    holder->execute("LOCK TABLE labor IN ACCESS EXCLUSIVE MODE");
  } else if (pg_->kind() == "sqlserver") {
    holder->beginTransaction();
    holder->execute("UPDATE labor WITH (TABLOCKX) SET note = note");
  } else {
    holder->execute("LOCK TABLES labor WRITE");
  }
  expectStoppedWhileLaborIsHeld([&] { holder.reset(); });
}

TEST_P(RefreshIntoServer, LaborRowLockedByAnotherSessionStopsTheChainAfterTheWait) {
  if (pg_->kind() == "postgres" || GetParam().rowsPerBatch != data::odbc::kRowsPerBatch)
    GTEST_SKIP() << "MariaDB's and SQL Server's row lock, one batch size";
  auto holder = data::openSessionFor(pg_->oleDbConnectionString());
  holder->beginTransaction();
  holder->execute("UPDATE labor SET note = 'held' WHERE grade = 1");
  expectStoppedWhileLaborIsHeld([&] {
    holder->rollback();
    holder.reset();
  });
}

TEST_P(RefreshIntoServer, FailureInRetireTravelsToTheCaller) {
  runRefusedBy("retire", "wage_to < 9999999");
  EXPECT_EQ(sql("select count(*) from incom_rep"), "151\n");
  EXPECT_EQ(sql("select grp, grade, wage_from from retire"), "1|1|1\n");
}

TEST_P(RefreshIntoServer, AutoIncrementColumnBeyondTheCopiedOnesIsNumberedByTheServer) {
  sql(pg_->addColumn("labor", "row_id " + pg_->autoIncrementInteger()));
  const ToolRun run = runTool(settings_);
  EXPECT_EQ(run.failure, std::nullopt);
  EXPECT_EQ(sql("select count(*), count(distinct row_id) from labor"), "38|38\n");
}

TEST_P(RefreshIntoServer, AutoIncrementColumnInACopiedPlaceCannotBeWritten) {
  sql("DROP TABLE labor;\nCREATE TABLE labor (grade " + pg_->autoIncrementInteger() +
      ", insured_salary integer, worker_share numeric(19,4), employer_share numeric(19,4),"
      " ei_worker numeric(19,4), ei_employer numeric(19,4), note " +
      pg_->unicodeVarchar(20) +
      ");\nINSERT INTO labor (insured_salary, note) VALUES (100, N'舊資料');");
  const ToolRun run = runTool(settings_);
  EXPECT_EQ(run.failure, "Field 'grade' cannot be modified");
  EXPECT_EQ(sql("select count(*) from health_insu"), "50\n");
  EXPECT_EQ(sql("select insured_salary, note from labor"), "100|舊資料\n");
}

TEST_P(RefreshIntoServer, UnreachableServerChangesNothing) {
  // No data source of that name: the FreeTDS driver tries the host, where nothing listens.
  writeLink("1,127.0.0.1,payroll,sa,pw,R,/unused/,");
  const ToolRun run = runTool(settings_);
  ASSERT_TRUE(run.failure.has_value());
  EXPECT_FALSE(run.failure->empty());
  EXPECT_EQ(run.invoked, std::vector<int>{0});
  EXPECT_EQ(sql("select count(*) from health_insu"), "1\n");
}

INSTANTIATE_TEST_SUITE_P(Servers, RefreshIntoServer,
                         ::testing::Values(ServerCase{"postgres", data::odbc::kRowsPerBatch},
                                           ServerCase{"postgres", 7},
                                           ServerCase{"mariadb", data::odbc::kRowsPerBatch},
                                           ServerCase{"mariadb", 7},
                                           ServerCase{"sqlserver", data::odbc::kRowsPerBatch},
                                           ServerCase{"sqlserver", 7}),
                         caseName);

}  // namespace
}  // namespace tiermend::refresh
