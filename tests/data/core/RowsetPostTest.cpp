// Posting rows whose columns are written in changing orders and subsets: each row
// stores exactly the columns written to it, whatever the rows before wrote.
#include <gtest/gtest.h>

#include "data/Rowset.h"
#include "tests/data/sqlite/SqliteTestFiles.h"

namespace tiermend::data {
namespace {

using testing::SqliteFile;
using testing::TempFolder;

TEST(RowsetPost, EachRowStoresTheColumnsWrittenToIt) {
  TempFolder folder;
  const std::string path = folder.file("target.db");
  testing::createSqliteFile(path,
                            "CREATE TABLE t (a INT, b VARCHAR(10), c DECIMAL(18,4) DEFAULT 9);"
                            "CREATE TABLE counted (id INTEGER PRIMARY KEY AUTOINCREMENT, v INT);");
  Connection connection("ADOC2", TextSettings{CodePage(CodePage::kUtf8), RegionalSettings{}});
  connection.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
  Rowset rowset("ADOQ2", connection);
  rowset.addSql("select a, b, c from t");
  rowset.open();

  struct Write {
    int field;
    std::string text;
  };
  const std::vector<std::vector<Write>> rows = {
      {{0, "1"}, {1, "x"}, {2, "1.5"}},
      {{0, "2"}, {1, "y"}, {2, "2.25"}},  // same order as the row before
      {{2, "3.125"}, {0, "3"}},           // other order, b left out
      {{1, "z"}},                         // one column only
      {{0, "5"}, {1, "w"}, {2, "5.5"}},
      {{0, "6"}, {0, "7"}},  // written twice: the last text counts
  };
  for (const auto& writes : rows) {
    rowset.append();
    for (const Write& write : writes) rowset.field(write.field).setAsString(write.text);
    // Reading back the row being appended shows what was written, unset columns empty.
    if (writes.size() == 1) {
      EXPECT_EQ(rowset.field(0).asString(), "");
    }
    rowset.post();
  }
  const std::vector<std::vector<std::string>> expected = {
      {"1", "x", "1.5"},  {"2", "y", "2.25"}, {"3", "NULL", "3.125"},
      {"NULL", "z", "9"}, {"5", "w", "5.5"},  {"7", "NULL", "9"}};
  EXPECT_EQ(SqliteFile(path).rows("select a, b, c from t order by rowid"), expected);

  // Another statement on the same rowset posts to its own table and columns.
  rowset.clearSql();
  rowset.addSql("select id, v from counted");
  rowset.open();
  for (const char* v : {"10", "11"}) {
    rowset.append();
    rowset.field(1).setAsString(v);
    rowset.post();
  }
  EXPECT_EQ(SqliteFile(path).rows("select id, v from counted"),
            (std::vector<std::vector<std::string>>{{"1", "10"}, {"2", "11"}}));
}

}  // namespace
}  // namespace tiermend::data
