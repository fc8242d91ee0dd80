// Writing Access files through the Jet session: delete and insert in real fixture
// copies, read back by our cursor, libmdb's mdb-export and the npm package mdb-reader.
#include <gtest/gtest.h>

#include <filesystem>

#include "JetTestSupport.h"
#include "data/providers/jet/JetProvider.h"
#include "tests/support/ThreeWayRead.h"

namespace tiermend::data::jet {
namespace {

using testing::failureOf;
using testing::fixture;
using testing::namesOf;
using testing::readAll;
using testing::refreshTable;

const char* const kBracketTables[] = {"health_insu", "labor", "incom_rep", "retire"};

void expectSameRows(const std::string& sourcePath, const std::string& targetPath,
                    const std::string& table, const std::string& sourcePassword = "") {
  auto source = openSession(sourcePath, sourcePassword);
  auto target = openSession(targetPath, "");
  const auto expected = readAll(*source, "select * from " + table);
  const auto found = readAll(*target, "select * from " + table);
  ASSERT_EQ(found.rows.size(), expected.rows.size()) << table;
  for (std::size_t i = 0; i < expected.rows.size(); ++i) {
    ASSERT_EQ(found.rows[i], expected.rows[i]) << table << " row " << i;
  }
}

class JetRefreshTest : public testing::JetScratchTest {
 protected:
  std::string target = targetCopyOf("tiermenddb.mdb");
};

TEST_F(JetRefreshTest, TheFourBracketTablesAreRefreshedAndReadBackThreeWays) {
  // The target starts with other rows: last year's package has fewer brackets.
  {
    auto session = openSession(target, "");
    session->execute("delete from incom_rep");
    session->insert("incom_rep", {"salary_from", "salary_to", "dep0"},
                    {std::int64_t{1}, std::int64_t{2}, std::int64_t{3}});
  }
  auto source = openSession(fixture("tiermenddb.mdb"), "korvenal");
  auto session = openSession(target, "");
  for (const char* table : kBracketTables) refreshTable(*session, *source, table);
  for (const char* table : kBracketTables) {
    SCOPED_TRACE(table);
    expectSameRows(fixture("tiermenddb.mdb"), target, table);
    EXPECT_EQ(tiermend::testing::threeWayDifference(target, table), "");
  }
  // A table only emptied: every reader finds its rows deleted.
  EXPECT_EQ(session->execute("delete from readme"), 1);
  tiermend::testing::TableText ours;
  EXPECT_EQ(tiermend::testing::threeWayDifference(target, "readme", "", &ours), "");
  EXPECT_TRUE(ours.rows.empty());
}

TEST_F(JetRefreshTest, RepeatedRefreshesReuseTheTablesPagesSoTheFileStopsGrowing) {
  auto source = openSession(fixture("tiermenddb.mdb"), "");
  auto session = openSession(target, "");
  std::vector<std::uintmax_t> sizes;
  for (int run = 0; run < 4; ++run) {
    for (const char* table : kBracketTables) refreshTable(*session, *source, table);
    sizes.push_back(std::filesystem::file_size(target));
  }
  // The first refresh may add a few pages (rows are packed a little differently from
  // the package); later ones reuse the deleted rows' pages.
  EXPECT_EQ(sizes[1], sizes[0]);
  EXPECT_EQ(sizes[3], sizes[0]);
  EXPECT_LE(sizes[0], std::filesystem::file_size(fixture("tiermenddb.mdb")) + 8 * 4096);
  for (const char* table : kBracketTables) {
    SCOPED_TRACE(table);
    expectSameRows(fixture("tiermenddb.mdb"), target, table);
    EXPECT_EQ(tiermend::testing::threeWayDifference(target, table), "");
  }
}

TEST_F(JetRefreshTest, SelectsInsideTheTransactionSeeTheRowsWrittenSoFar) {
  auto session = openSession(target, "");
  session->beginTransaction();
  EXPECT_EQ(session->execute("delete from retire"), 62);
  EXPECT_TRUE(readAll(*session, "select * from retire").rows.empty());
  session->insert("retire", {"grp", "grade"}, {std::int64_t{7}, std::int64_t{8}});
  const auto rows = readAll(*session, "select grp, grade, wage_from from retire").rows;
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (std::vector<Value>{std::int64_t{7}, std::int64_t{8}, Null{}}));
  // Nothing reaches the file before the commit.
  EXPECT_EQ(readAll(*openSession(target, ""), "select * from retire").rows.size(), 62u);
  session->rollback();
  EXPECT_EQ(readAll(*session, "select * from retire").rows.size(), 62u);
  expectSameRows(fixture("tiermenddb.mdb"), target, "retire");
}

TEST_F(JetRefreshTest, AFailureHalfWayLeavesTheFileByteForByteUnchanged) {
  const auto before = testing::fileBytes(target);
  auto session = openSession(target, "");
  struct Case {
    const char* what;
    std::vector<std::string> columns;
    std::vector<Value> values;
    const char* message;
  };
  const Case cases[] = {
      {"an Integer out of range",
       {"grade"},
       {std::int64_t{40000}},
       "40000 is not a valid value for field 'grade'. The allowed range is -32768 to 32767"},
      {"text too long", {"note"}, {std::string(21, 'x')}, "The text is too long for field 'note'."},
      {"an unknown column",
       {"salary"},
       {std::int64_t{1}},
       "The column 'salary' does not exist in the table 'labor'."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    session->beginTransaction();
    session->execute("delete from labor");
    session->insert("labor", {"grade", "note"}, {std::int64_t{1}, std::string("ok")});
    EXPECT_EQ(failureOf([&] { session->insert("labor", c.columns, c.values); }), c.message);
    session->rollback();
    EXPECT_TRUE(testing::fileBytes(target) == before);
  }
  // A change outside a transaction that fails leaves nothing behind either.
  EXPECT_NE(failureOf([&] { session->insert("labor", {"grade"}, {std::int64_t{-40000}}); }),
            "(no failure)");
  EXPECT_TRUE(testing::fileBytes(target) == before);
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.path(""))) {
    EXPECT_EQ(entry.path().filename(), "basedb.mdb");  // no copy left behind
  }
}

using JetWriteRefusalTest = testing::JetScratchTest;

// Jet 3 index pages are another layout, which no reader at hand could check.
TEST_F(JetWriteRefusalTest, AnIndexedJet3TableIsRefusedBeforeAnythingChanges) {
  const std::string path = targetCopyOf("access-made/V1997_test.mdb");
  const auto before = testing::fileBytes(path);
  auto session = openSession(path, "");
  EXPECT_EQ(failureOf([&] { session->execute("delete from Table1"); }),
            "Cannot update table 'Table1': it has indexes, which this program cannot "
            "rebuild.");
  EXPECT_EQ(failureOf([&] { session->insert("Table1", {"C"}, {std::int64_t{1}}); }),
            "Cannot update table 'Table1': it has indexes, which this program cannot "
            "rebuild.");
  EXPECT_TRUE(testing::fileBytes(path) == before);
}

TEST_F(JetWriteRefusalTest, StatementsOtherThanDeleteAllAreRefused) {
  const std::string path = targetCopyOf("tiermenddb.mdb");
  const auto before = testing::fileBytes(path);
  auto session = openSession(path, "");
  for (const char* sql : {"delete from labor where grade = 1", "update retire set grp = 2",
                          "insert into retire (grp) values (1)", "drop table readme"}) {
    SCOPED_TRACE(sql);
    EXPECT_EQ(failureOf([&] { session->execute(sql); }),
              "This statement cannot be run on an Access database: only 'delete from "
              "<table>' and inserts can change it.");
  }
  EXPECT_TRUE(testing::fileBytes(path) == before);
}

}  // namespace
}  // namespace tiermend::data::jet
