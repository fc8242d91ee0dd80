// The refresh chain into a SQL-server-kind target: Link.txt of kind "1" naming an ODBC
// data source on the private PostgreSQL server, the real Access package as the source.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ToolRun.h"
#include "refresh/BracketTables.h"
#include "tests/support/PgTestDataSource.h"
#include "tests/support/TempFolder.h"

namespace tiermend::refresh {
namespace {

namespace fs = std::filesystem;

// The bracket tables with one older row each, and a table of the customer's own.
std::string targetSchema() {
  std::ifstream in(std::string(TIERMEND_TESTDATA) + "/bracket-tables-postgres.sql");
  std::stringstream schema;
  schema << in.rdbuf();
  return schema.str() + R"(
CREATE TABLE readme (content text);
INSERT INTO health_insu VALUES (1, 100, 1, 2, 3, 4, 5, 6);
INSERT INTO labor VALUES (1, 100, 1, 2, 3, 4, '舊資料');
INSERT INTO incom_rep VALUES (0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
INSERT INTO retire VALUES (1, 1, 1, 2, 2);
INSERT INTO readme VALUES ('客戶自己的說明');
)";
}

class RefreshIntoPostgres : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    fs::current_path(dir_);
    fs::copy_file(std::string(TIERMEND_TESTDATA) + "/tiermenddb.mdb", dir_ / "tiermenddb.mdb");
    pg_.psql(targetSchema());
    // A blank password field counts as no password.
    writeLink("1," + pg_.dataSourceName() + "," + pg_.database() + ",postgres, ,R,/unused/,\r\n");
  }
  void TearDown() override { fs::current_path(previous_); }

  void writeLink(const std::string& line) { std::ofstream(dir_ / "Link.txt") << line; }
  std::string sql(const std::string& statement) { return pg_.psql(statement); }

  data::TextSettings settings_{CodePage(65001), RegionalSettings{}};
  testing::PgTestDataSource pg_;
  ::tiermend::testing::TempFolder folder_;
  fs::path dir_ = folder_.path();
  fs::path previous_;
};

TEST_F(RefreshIntoPostgres, RefreshesAllFourTablesValueByValue) {
  const ToolRun run = runTool(settings_);
  EXPECT_EQ(run.failure, std::nullopt);
  EXPECT_TRUE(run.completionShown);
  for (const BracketTable& table : kBracketTables) {
    SCOPED_TRACE(table.table);
    const Rows package = editTexts(
        settings_, "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=tiermenddb.mdb", table.table);
    EXPECT_EQ(editTexts(settings_, pg_.oleDbConnectionString(), table.table), package);
  }
  EXPECT_EQ(sql("select count(*), sum(insured_amount), sum(self), sum(employer) from health_insu"),
            "50|4833470|74966.0000|235397.0000\n");
  EXPECT_EQ(sql("select count(*) from labor where note = '僅適用職災保險'"), "10\n");
  EXPECT_EQ(sql("select sum(dep0), sum(dep11) from incom_rep"), "1881787|422137\n");
  EXPECT_EQ(sql("select count(*), sum(contribution_wage) from retire"), "62|3291524\n");
  EXPECT_EQ(sql("select content from readme"), "客戶自己的說明\n");
}

TEST_F(RefreshIntoPostgres, RefusedRowInLaborKeepsItsOldRowsAndStopsTheChain) {
  sql("ALTER TABLE labor ADD CHECK (insured_salary < 40000)");
  const ToolRun run = runTool(settings_);
  ASSERT_TRUE(run.failure.has_value());
  EXPECT_NE(run.failure->find("violates check constraint"), std::string::npos) << *run.failure;
  EXPECT_EQ(sql("select count(*) from health_insu"), "50\n");
  EXPECT_EQ(sql("select grade, note from labor"), "1|舊資料\n");
  EXPECT_EQ(sql("select count(*) from incom_rep"), "1\n");
  EXPECT_EQ(sql("select count(*) from retire"), "1\n");
  EXPECT_TRUE(run.buttonsDisabled);
  EXPECT_FALSE(run.completionShown);
}

TEST_F(RefreshIntoPostgres, FailureInRetireTravelsToTheCaller) {
  sql("ALTER TABLE retire ADD CHECK (wage_to < 9999999)");
  const ToolRun run = runTool(settings_);
  ASSERT_TRUE(run.failure.has_value());
  EXPECT_NE(run.failure->find("violates check constraint"), std::string::npos) << *run.failure;
  EXPECT_FALSE(run.completionShown);
  EXPECT_EQ(sql("select count(*) from incom_rep"), "151\n");
  EXPECT_EQ(sql("select grp, grade, wage_from from retire"), "1|1|1\n");
}

TEST_F(RefreshIntoPostgres, UnreachableServerChangesNothing) {
  // No data source of that name: the FreeTDS driver tries the host, where nothing listens.
  writeLink("1,127.0.0.1,payroll,sa,pw,R,/unused/,");
  const ToolRun run = runTool(settings_);
  ASSERT_TRUE(run.failure.has_value());
  EXPECT_FALSE(run.failure->empty());
  EXPECT_EQ(run.invoked, std::vector<int>{0});
  EXPECT_EQ(sql("select count(*) from health_insu"), "1\n");
}

}  // namespace
}  // namespace tiermend::refresh
