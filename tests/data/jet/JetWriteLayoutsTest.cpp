// The writer on other real layouts: Jet 3 files (Access 97: 1-byte row offsets with a
// jump table, text in the file's code page) and a Jet 4 table whose pages already hold
// rows Access deleted. The fixtures' tables have indexes, which the writer refuses, so
// each test works on a copy with the table's indexes removed (see removeIndexes).
#include <gtest/gtest.h>

#include <filesystem>

#include "JetTestSupport.h"
#include "data/providers/jet/JetProvider.h"
#include "tests/support/ThreeWayRead.h"

namespace tiermend::data::jet {
namespace {

using testing::failureOf;
using testing::namesOf;
using testing::readAll;

// Empties table and writes back rows (whole rows, every column) in one transaction.
void rewrite(Session& session, const std::string& table, const testing::Result& rows) {
  session.beginTransaction();
  session.execute("delete from [" + table + "]");
  const auto names = namesOf(rows.columns);
  for (const auto& row : rows.rows) session.insert(table, names, row);
  session.commit();
}

using JetWriteLayoutsTest = testing::JetScratchTest;

DateTime day(int year, int month, int date) {
  DateTime value;
  value.year = year;
  value.month = month;
  value.day = date;
  return value;
}

TEST_F(JetWriteLayoutsTest, Jet3RowsOfEveryKindInTheFilesCodePage) {
  const std::string path = targetCopyOf("access-made/V1997_test.mdb", "Table1");
  ASSERT_EQ(tiermend::testing::threeWayDifference(path, "Table1"), "");
  auto session = openSession(path, "");
  const std::vector<std::string> columns = {"A", "B", "C", "D", "E", "F", "G", "H", "I"};
  const std::vector<std::vector<Value>> rows = {
      {std::string("Crème brûlée, Œuvre"), std::string(100, 'b'), std::int64_t{255},
       std::int64_t{-32768}, std::int64_t{2147483647}, 1.0 / 3, day(1850, 6, 15),
       Decimal{"-922337203685477.5808"}, true},
      {Null{}, Null{}, Null{}, Null{}, Null{}, Null{}, Null{}, Null{}, false},
      {std::string(""), std::string("x"), std::int64_t{0}, std::int64_t{1}, std::int64_t{-1}, -2.5,
       day(9999, 12, 31), Decimal{"0.0001"}, true},
  };
  session->beginTransaction();
  EXPECT_EQ(session->execute("delete from Table1"), 2);
  for (const auto& row : rows) session->insert("Table1", columns, row);
  // Text the code page cannot hold is refused, not turned into question marks.
  EXPECT_EQ(failureOf([&] { session->insert("Table1", {"A"}, {std::string("薪資")}); }),
            "The text for field 'A' holds characters that the database's code page cannot "
            "store.");
  session->commit();
  const auto found = readAll(*session, "select * from Table1").rows;
  ASSERT_EQ(found.size(), rows.size());
  std::vector<Value> expected = rows[0];
  expected[7] = Decimal{"-922337203685477.5808"};
  EXPECT_EQ(found[0], expected);
  EXPECT_EQ(found[1], rows[1]);
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "Table1"), "");
}

// A Customers row with every field at its full size is over 256 bytes, so its offsets
// need the Jet 3 jump table.
TEST_F(JetWriteLayoutsTest, Jet3RowsLongerThan256BytesUseTheJumpTable) {
  const std::string path = targetCopyOf("jet3/nwind.mdb", "Customers");
  auto session = openSession(path, "");
  testing::Result rows = readAll(*session, "select * from Customers");
  ASSERT_EQ(rows.rows.size(), 91u);
  std::vector<Value> longest;
  for (const auto& column : rows.columns) {
    longest.emplace_back(std::string(static_cast<std::size_t>(column.size), 'Z'));
  }
  rows.rows.push_back(longest);
  rows.rows.push_back(std::vector<Value>(rows.columns.size(), Null{}));
  rows.rows.back()[1] = std::string("only a name");
  rewrite(*session, "Customers", rows);
  EXPECT_EQ(readAll(*session, "select * from Customers").rows, rows.rows);
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "Customers"), "");
}

TEST_F(JetWriteLayoutsTest, Jet3TableOfManyPagesIsRefreshedInPlace) {
  const std::string path = targetCopyOf("jet3/nwind.mdb", "Order Details");
  const auto sizeBefore = std::filesystem::file_size(path);
  auto session = openSession(path, "");
  const testing::Result rows = readAll(*session, "select * from [Order Details]");
  ASSERT_EQ(rows.rows.size(), 2155u);
  for (int run = 0; run < 2; ++run) rewrite(*session, "Order Details", rows);
  EXPECT_EQ(readAll(*session, "select * from [Order Details]").rows, rows.rows);
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "Order Details"), "");
  EXPECT_EQ(std::filesystem::file_size(path), sizeBefore);  // the old pages were reused
}

// DateTest's pages hold 20 rows Access deleted, between live ones.
TEST_F(JetWriteLayoutsTest, PagesHoldingRowsAccessDeletedAreEmptiedAndReused) {
  const std::string path = targetCopyOf("DateTestDatabase.mdb", "DateTest");
  const auto sizeBefore = std::filesystem::file_size(path);
  auto session = openSession(path, "");
  testing::Result rows = readAll(*session,
                                 "select IDCol, DateTimeCol, DateCol, TimeCol, "
                                 "ShortTextCol from DateTest");
  ASSERT_EQ(rows.rows.size(), 6u);
  rewrite(*session, "DateTest", rows);
  EXPECT_EQ(readAll(*session,
                    "select IDCol, DateTimeCol, DateCol, TimeCol, ShortTextCol "
                    "from DateTest")
                .rows,
            rows.rows);
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "DateTest"), "");
  EXPECT_EQ(std::filesystem::file_size(path), sizeBefore);
}

// The database password opens the file for writing as for reading; the copy keeps it.
TEST_F(JetWriteLayoutsTest, APasswordProtectedFileIsWrittenWithItsPasswordOnly) {
  const std::string path =
      targetCopyOf("access-made/password_V2000_with-password.mdb", "Table1", "password");
  EXPECT_EQ(failureOf([&] { openSession(path, "korvenal"); }), "Not a valid password.");
  auto session = openSession(path, "password");
  session->beginTransaction();
  session->execute("delete from Table1");
  session->insert("Table1", {"Data"}, {std::string("Four")});
  session->commit();
  // The auto-number goes on from the last one given out (3).
  EXPECT_EQ(readAll(*session, "select ID, Data from Table1").rows,
            (std::vector<std::vector<Value>>{{std::int64_t{4}, std::string("Four")}}));
  EXPECT_EQ(failureOf([&] { openSession(path, ""); }), "Not a valid password.");
  EXPECT_EQ(tiermend::testing::threeWayDifference(path, "Table1", "password"), "");
}

}  // namespace
}  // namespace tiermend::data::jet
