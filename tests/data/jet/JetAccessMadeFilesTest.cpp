// Files written by Microsoft Access itself: database passwords as Access stores them,
// and every table of them read alike by our reader, mdb-export and mdb-reader.
#include <gtest/gtest.h>

#include "data/providers/jet/JetProvider.h"
#include "tests/data/jet/JetTestSupport.h"
#include "tests/support/ThreeWayRead.h"

namespace tiermend::data::jet {
namespace {

using testing::failureOf;
using testing::fixture;

TEST(JetAccessMadePasswordTest, AProtectedFileOpensWithItsPasswordOnly) {
  for (const char* name : {"access-made/password_V2000_with-password.mdb",
                           "access-made/password_V2003_with-password.mdb"}) {
    SCOPED_TRACE(name);
    for (const char* wrong : {"korvenal", "", "Password", "passwor", "password "}) {
      SCOPED_TRACE(wrong);
      EXPECT_EQ(failureOf([&] { openSession(fixture(name), wrong); }), "Not a valid password.");
    }
    EXPECT_EQ(tiermend::testing::threeWayDifference(fixture(name), "Table1", "password"), "");
    EXPECT_FALSE(
        tiermend::testing::readWithOurCursor(fixture(name), "Table1", "password").rows.empty());
  }
}

TEST(JetAccessMadePasswordTest, AFileWithoutPasswordOpensWithTheTargetPasswordOrNone) {
  for (const char* name : {"access-made/password_V1997_no-password.mdb",
                           "access-made/password_V2000_no-password.mdb"}) {
    SCOPED_TRACE(name);
    for (const char* password : {"korvenal", ""}) {
      EXPECT_NO_THROW(openSession(fixture(name), password));
    }
  }
}

// Every table of the Access-made files and of our own fixtures, read three ways.
TEST(JetThreeWayReadTest, TheThreeReadersAgreeOnEveryFixtureTable) {
  const std::pair<const char*, std::vector<const char*>> files[] = {
      {"tiermenddb.mdb", {"health_insu", "labor", "incom_rep", "retire", "readme"}},
      {"types.mdb", {"all_types", "short3", "empty8"}},
      {"access-made/V1997_test.mdb", {"Table1", "Table2", "Table3", "Table4"}},
      {"access-made/V2000_test.mdb", {"Table1", "Table2", "Table3", "Table4"}},
      {"access-made/password_V1997_no-password.mdb", {"Table1", "Table2", "Table3", "Table4"}},
      {"access-made/password_V2000_no-password.mdb", {"Table1"}},
      {"access-made/V2000_numeric.mdb", {"test"}},
      {"jet3/nwind.mdb", {"Shippers", "Categories", "Customers", "Orders"}},
      // Card's definition counts more variable columns than it lists: some were deleted.
      {"real-access/salaryregisters.mdb",
       {"Organizations", "Workers", "Card", "Enrollments", "Settings"}},
  };
  for (const auto& [file, tables] : files) {
    for (const char* table : tables) {
      SCOPED_TRACE(std::string(file) + " " + table);
      EXPECT_EQ(tiermend::testing::threeWayDifference(fixture(file), table), "");
    }
  }
}

TEST(JetThreeWayReadTest, AChangedValueIsFound) {
  using tiermend::testing::Reader;
  const auto ours = tiermend::testing::readWithOurCursor(fixture("types.mdb"), "all_types");
  const auto reference = tiermend::testing::readWithMdbReader(fixture("types.mdb"), "all_types");
  ASSERT_EQ(tiermend::testing::readingDifference(ours, reference, Reader::MdbReader), "");
  for (std::size_t column = 0; column < ours.columns.size(); ++column) {
    SCOPED_TRACE(ours.columns[column]);
    auto changed = reference;
    changed.rows[2][column] = changed.rows[2][column] == "0" ? "1" : "0";
    EXPECT_NE(tiermend::testing::readingDifference(ours, changed, Reader::MdbReader), "");
    EXPECT_NE(tiermend::testing::readingDifference(ours, changed, Reader::MdbExport), "");
  }
  auto fewer = reference;
  fewer.rows.pop_back();
  EXPECT_NE(tiermend::testing::readingDifference(ours, fewer, Reader::MdbReader), "");
}

}  // namespace
}  // namespace tiermend::data::jet
