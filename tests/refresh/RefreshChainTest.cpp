// The refresh chain end to end without the window: a working folder with Link.txt,
// the real Access update package and a SQLite target, run through the start-up
// sequence exactly as the tool runs it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "ToolRun.h"
#include "data/ProviderChoice.h"
#include "refresh/BracketTables.h"
#include "tests/data/sqlite/SqliteTestFiles.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ThreeWayRead.h"
#include "tests/support/WorkingFolder.h"

namespace tiermend::refresh {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// The bracket tables with some older rows, and a table of the customer's own.
std::string targetSchema() {
  return testing::bracketTablesSql() + R"(
CREATE TABLE readme (content TEXT);
INSERT INTO health_insu VALUES (1, 100, 1, 2, 3, 4, 5, 6), (2, 200, 1, 2, 3, 4, 5, 6);
INSERT INTO labor VALUES (1, 100, 1, 2, 3, 4, 'old'), (2, 200, 1, 2, 3, 4, NULL),
  (3, 300, 1, 2, 3, 4, 'old');
INSERT INTO incom_rep VALUES (0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
INSERT INTO retire VALUES (1, 1, 1, 2, 2), (1, 2, 3, 4, 4), (1, 3, 5, 6, 6), (1, 4, 7, 8, 8);
INSERT INTO readme VALUES ('customer notes');
)";
}

class RefreshChain : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    fs::copy_file(std::string(TIERMEND_FIXTURES) + "/tiermenddb.mdb", dir_ / "tiermenddb.mdb");
    SqliteFile(target().string()).exec(targetSchema());
    writeLink("2,S,B,U,P,R," + dir_.string() + "/,\r\n");
  }

  fs::path target() const { return dir_ / "basedb.mdb"; }
  void writeLink(const std::string& line) { std::ofstream(dir_ / "Link.txt") << line; }
  data::TextSettings settings() const { return {CodePage(GetParam()), RegionalSettings{}}; }

  std::optional<std::string> runTool() {
    const ToolRun run = testing::runTool(settings());
    completionShown_ = run.completionShown;
    buttonsDisabled_ = run.buttonsDisabled;
    invoked_ = run.invoked;
    return run.failure;
  }

  Rows targetRows(const std::string& table) {
    return SqliteFile(target().string()).rows("select * from " + table + " order by rowid");
  }
  std::string targetScalar(const std::string& sql) {
    return SqliteFile(target().string()).value(sql);
  }

  Rows editTexts(const std::string& connectionString, const std::string& table) {
    return refresh::editTexts(settings(), connectionString, table);
  }
  Rows packageTexts(const std::string& table) {
    return editTexts(
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + (dir_ / "tiermenddb.mdb").string(),
        table);
  }
  Rows targetTexts(const std::string& table) {
    return editTexts("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + target().string(), table);
  }

  ::tiermend::testing::WorkingFolder folder_;
  fs::path dir_ = folder_.path();
  bool completionShown_ = false;
  bool buttonsDisabled_ = false;
  std::vector<int> invoked_;
};

TEST_P(RefreshChain, RefreshesAllFourTablesFromThePackage) {
  const Rows readmeBefore = targetRows("readme");
  EXPECT_EQ(runTool(), std::nullopt);
  EXPECT_TRUE(completionShown_);
  EXPECT_EQ(invoked_, (std::vector<int>{0, 1, 2, 3}));

  for (const BracketTable& table : kBracketTables) {
    SCOPED_TRACE(table.table);
    const Rows expected = packageTexts(table.table);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(targetTexts(table.table), expected);
  }
  // Facts about the package that do not depend on the code under test.
  EXPECT_EQ(targetScalar("select count(*) from health_insu"), "50");
  EXPECT_EQ(targetScalar("select sum(insured_amount) from health_insu"), "4833470");
  EXPECT_EQ(targetScalar("select cast(sum(self) as integer) from health_insu"), "74966");
  EXPECT_EQ(targetScalar("select cast(sum(gov_subsidy) as integer) from health_insu"), "39233");
  EXPECT_EQ(targetScalar("select count(*) from health_insu where self_3dep <> 4 * self"), "0");
  EXPECT_EQ(targetScalar("select count(*) from labor"), "38");
  // A null note travels as empty edit text, which a text column stores as empty text.
  EXPECT_EQ(targetScalar("select count(*) from labor where note = ''"), "12");
  EXPECT_EQ(targetScalar("select count(*) from labor where note = '部分工時'"), "15");
  EXPECT_EQ(targetScalar("select note from labor where grade = 16"), "基本工資");
  EXPECT_EQ(targetScalar("select note from labor where grade = 38"), "僅適用職災保險");
  EXPECT_EQ(targetScalar("select cast(sum(ei_employer) as integer) from labor"), "8432");
  EXPECT_EQ(targetScalar("select count(*) from incom_rep"), "151");
  EXPECT_EQ(targetScalar("select sum(dep0) from incom_rep"), "1881787");
  EXPECT_EQ(targetScalar("select sum(dep11) from incom_rep"), "422137");
  EXPECT_EQ(targetScalar("select count(*) from retire"), "62");
  EXPECT_EQ(targetScalar("select sum(contribution_wage) from retire"), "3291524");
  EXPECT_EQ(targetScalar("select wage_to from retire where grade = 62"), "9999999");
  EXPECT_EQ(targetRows("readme"), readmeBefore);
}

// An Access basedb.mdb: a copy of the package whose tables first get other rows.
TEST_P(RefreshChain, RefreshesAnAccessTargetInPlace) {
  fs::remove(target());
  fs::copy_file(std::string(TIERMEND_FIXTURES) + "/tiermenddb.mdb", target());
  fs::permissions(target(), fs::perms::owner_write, fs::perm_options::add);
  {
    auto session =
        data::openSessionFor("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + target().string());
    for (const BracketTable& table : kBracketTables) {
      session->execute(std::string("delete from ") + table.table);
    }
    session->insert("labor", {"grade", "note"}, {std::int64_t{1}, std::string("old")});
  }
  EXPECT_EQ(runTool(), std::nullopt);
  EXPECT_TRUE(completionShown_);
  for (const BracketTable& table : kBracketTables) {
    SCOPED_TRACE(table.table);
    const Rows expected = packageTexts(table.table);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(targetTexts(table.table), expected);
    EXPECT_EQ(testing::threeWayDifference(target().string(), table.table), "");
  }
}

// A check goes through every table and leaves the target file byte for byte as it was,
// a SQLite file and an Access file alike (whose copy is written, read back and dropped).
TEST_P(RefreshChain, ACheckLeavesTheTargetFileAsItWas) {
  for (const bool access : {false, true}) {
    SCOPED_TRACE(access ? "Access target" : "SQLite target");
    if (access) {
      fs::remove(target());
      fs::copy_file(std::string(TIERMEND_FIXTURES) + "/tiermenddb.mdb", target());
      fs::permissions(target(), fs::perms::owner_write, fs::perm_options::add);
    }
    const auto before = fileBytes(target());
    const ToolRun run = testing::runTool(settings(), StepEnd::RollBack);
    EXPECT_EQ(run.failure, std::nullopt);
    EXPECT_TRUE(run.completionShown);
    const TableCounts health{access ? 50 : 2, 50};
    EXPECT_EQ(run.tables, (std::vector<std::pair<int, TableCounts>>{{0, health},
                                                                    {1, {access ? 38 : 3, 38}},
                                                                    {2, {access ? 151 : 1, 151}},
                                                                    {3, {access ? 62 : 4, 62}}}));
    EXPECT_TRUE(fileBytes(target()) == before);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir_)) files.push_back(entry.path().filename());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"Link.txt", "basedb.mdb", "tiermenddb.mdb"}));
  }
}

TEST_P(RefreshChain, MissingUpdatePackageKeepsTheOldRows) {
  fs::remove(dir_ / "tiermenddb.mdb");
  const Rows before = targetRows("health_insu");
  EXPECT_EQ(runTool(), "Could not find file '" + (dir_ / "tiermenddb.mdb").string() + "'");
  EXPECT_EQ(targetRows("health_insu"), before);
  EXPECT_TRUE(buttonsDisabled_);
  EXPECT_FALSE(completionShown_);
  EXPECT_EQ(invoked_, std::vector<int>{0});
}

TEST_P(RefreshChain, UnreachableTargetChangesNothing) {
  writeLink("2,S,B,U,P,R," + dir_.string() + "/absent/,");
  const Rows before = targetRows("health_insu");
  EXPECT_EQ(runTool(), "Could not find file '" + (dir_ / "absent/basedb.mdb").string() + "'");
  EXPECT_EQ(targetRows("health_insu"), before);
  EXPECT_TRUE(buttonsDisabled_);
}

TEST_P(RefreshChain, UnknownLinkKindFailsInTheFirstStep) {
  writeLink("3,S,B,U,P,R," + dir_.string() + "/,");
  const Rows before = targetRows("health_insu");
  const auto failure = runTool();
  ASSERT_TRUE(failure.has_value());
  EXPECT_FALSE(failure->empty());
  EXPECT_EQ(targetRows("health_insu"), before);
  EXPECT_FALSE(completionShown_);
}

TEST_P(RefreshChain, LinkFileFailureTouchesNoDatabase) {
  fs::remove(dir_ / "Link.txt");
  const Rows before = targetRows("health_insu");
  EXPECT_EQ(runTool(), "File not found");
  EXPECT_TRUE(invoked_.empty());
  EXPECT_FALSE(buttonsDisabled_);
  EXPECT_EQ(targetRows("health_insu"), before);
}

TEST_P(RefreshChain, ValueTheTargetColumnCannotTakeStopsTheChainAndKeepsThatTable) {
  // incom_rep's first row covers 0 to 70,000: too large for a SMALLINT column.
  SqliteFile(target().string())
      .exec(
          "DROP TABLE incom_rep; CREATE TABLE incom_rep (salary_from INT, salary_to SMALLINT, dep0 "
          "INT, dep1 INT, dep2 INT, dep3 INT, dep4 INT, dep5 INT, dep6 INT, dep7 INT, dep8 INT, "
          "dep9 "
          "INT, dep10 INT, dep11 INT); INSERT INTO incom_rep VALUES (5, 6, 0, 0, 0, 0, 0, 0, 0, 0, "
          "0, "
          "0, 0, 0);");
  const Rows incomBefore = targetRows("incom_rep");
  const Rows retireBefore = targetRows("retire");
  EXPECT_EQ(
      runTool(),
      "70000 is not a valid value for field 'salary_to'. The allowed range is -32768 to 32767");
  EXPECT_EQ(targetScalar("select count(*) from health_insu"), "50");
  EXPECT_EQ(targetScalar("select count(*) from labor"), "38");
  EXPECT_EQ(targetRows("incom_rep"), incomBefore);
  EXPECT_EQ(targetRows("retire"), retireBefore);
  EXPECT_TRUE(buttonsDisabled_);
  EXPECT_FALSE(completionShown_);
}

TEST_P(RefreshChain, RowRefusedByTheTargetKeepsTheOldRows) {
  SqliteFile(target().string())
      .exec(
          "DROP TABLE labor; CREATE TABLE labor (grade SMALLINT CHECK (grade < 30), insured_salary "
          "INT, worker_share MONEY, employer_share MONEY, ei_worker MONEY, ei_employer MONEY, note "
          "NVARCHAR(20)); INSERT INTO labor VALUES (7, 700, 1, 2, 3, 4, 'kept');");
  const Rows laborBefore = targetRows("labor");
  const Rows incomBefore = targetRows("incom_rep");
  EXPECT_EQ(runTool(), "CHECK constraint failed: grade < 30");
  EXPECT_EQ(targetScalar("select count(*) from health_insu"), "50");
  EXPECT_EQ(targetRows("labor"), laborBefore);
  EXPECT_EQ(targetRows("incom_rep"), incomBefore);
  EXPECT_EQ(invoked_, (std::vector<int>{0, 1}));
}

TEST_P(RefreshChain, FailureInTheLastTableIsReportedWithoutCompletion) {
  SqliteFile(target().string())
      .exec(
          "DROP TABLE retire; CREATE TABLE retire (grp SMALLINT, grade SMALLINT CHECK (grade < "
          "60), "
          "wage_from INT, wage_to INT, contribution_wage INT); INSERT INTO retire VALUES (9, 9, 9, "
          "9, 9);");
  const Rows retireBefore = targetRows("retire");
  EXPECT_EQ(runTool(), "CHECK constraint failed: grade < 60");
  EXPECT_FALSE(completionShown_);
  EXPECT_TRUE(buttonsDisabled_);
  EXPECT_EQ(targetRows("retire"), retireBefore);
  EXPECT_EQ(targetScalar("select count(*) from incom_rep"), "151");
}

// A SQLite file can stand in for the update package: the data layer picks the provider
// from the file's contents. It lets the tests shape source tables freely.
class RefreshChainSqlitePackage : public RefreshChain {
 protected:
  void SetUp() override {
    RefreshChain::SetUp();
    fs::remove(dir_ / "tiermenddb.mdb");
    SqliteFile((dir_ / "tiermenddb.mdb").string()).exec(targetSchema());
    SqliteFile((dir_ / "tiermenddb.mdb").string())
        .exec(
            "DELETE FROM health_insu; INSERT INTO health_insu VALUES (1, 27470, 10.5, 21, 31.5, "
            "42, "
            "100, 0), (2, 28800, 11, 22, 33, 44, 101.25, NULL);");
  }
};

TEST_P(RefreshChainSqlitePackage, ShortSourceTableFailsAtTheFirstMissingColumn) {
  SqliteFile((dir_ / "tiermenddb.mdb").string())
      .exec(
          "DROP TABLE labor; CREATE TABLE labor (grade SMALLINT, insured_salary INT, a MONEY, b "
          "MONEY, c MONEY, d MONEY); INSERT INTO labor VALUES (1, 2, 3, 4, 5, 6);");
  const Rows laborBefore = targetRows("labor");
  EXPECT_EQ(runTool(), "List index out of bounds (6)");
  EXPECT_EQ(targetRows("labor"), laborBefore);
  EXPECT_EQ(targetRows("health_insu"),
            (Rows{{"1", "27470", "10.5", "21", "31.5", "42", "100", "0"},
                  {"2", "28800", "11", "22", "33", "44", "101.25", "NULL"}}));
}

TEST_P(RefreshChainSqlitePackage, EmptySourceTableEmptiesTheTargetAndGoesOn) {
  SqliteFile((dir_ / "tiermenddb.mdb").string()).exec("DELETE FROM labor");
  EXPECT_EQ(runTool(), std::nullopt);
  EXPECT_EQ(targetScalar("select count(*) from labor"), "0");
  EXPECT_TRUE(completionShown_);
}

std::string codePageName(const ::testing::TestParamInfo<unsigned>& info) {
  return "CodePage" + std::to_string(info.param);
}

INSTANTIATE_TEST_SUITE_P(CodePages, RefreshChain, ::testing::Values(65001u, 950u), codePageName);
INSTANTIATE_TEST_SUITE_P(CodePages, RefreshChainSqlitePackage, ::testing::Values(65001u),
                         codePageName);

}  // namespace
}  // namespace tiermend::refresh
