// Damaged copies of the update package: the row walk reports each as damage naming the
// table and the file, never as rows that the file does not hold; and what Jet writes on
// purpose (deleted rows, overflow rows) is still read as it should be.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>

#include "DamagedPackages.h"
#include "JetTestSupport.h"
#include "data/EngineError.h"
#include "data/providers/jet/JetProvider.h"
#include "data/providers/jet/format/JetFormat.h"
#include "tests/support/TestName.h"

namespace tiermend::data::jet {
namespace {

using testing::failureOf;
using testing::fixture;
using testing::pagesOfTable;
using testing::readAll;
using testing::ScratchFolder;
using testing::TablePages;

struct DamageCase {
  const char* what;
  const char* table;
  // Damages the file and gives the words after "is damaged: ".
  std::function<std::string(const std::string& path, const TablePages& pages)> damage;
};

void PrintTo(const DamageCase& c, std::ostream* os) {
  *os << c.what;
}

std::string page(std::uint32_t number) {
  return "page " + std::to_string(number);
}

class JetDamagedPackage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(JetDamagedPackage, IsReportedAsDamageNamingTheTableAndTheFile) {
  ScratchFolder folder;
  const std::string path = folder.copyOf("tiermenddb.mdb", "tiermenddb.mdb");
  const std::string table = GetParam().table;
  const std::string what = GetParam().damage(path, pagesOfTable(path, table));
  auto session = openSession(path, "");
  const std::string message = failureOf([&] { readAll(*session, "select * from " + table); });
  const std::string expected = "The table '" + table + "' in '" + path + "' is damaged: " + what;
  EXPECT_EQ(message.substr(0, expected.size()), expected) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Damages, JetDamagedPackage,
    ::testing::Values(
        DamageCase{"a data page's row count raised from 65 to 1000", "incom_rep",
                   [](const std::string& path, const TablePages& pages) {
                     testing::setPageRowCount(path, pages.dataPages.at(0), 1000);
                     return "the rows of " + page(pages.dataPages.at(0)) +
                            " lie outside the page or overlap.";
                   }},
        DamageCase{"a page map byte flipped to name a map page outside the file", "retire",
                   [](const std::string& path, const TablePages&) {
                     testing::setPageMapByte(path, "retire", 5, 0x80);
                     return std::string(
                         "its page map names map page 128, beyond the end of the file.");
                   }},
        DamageCase{"a page map of an unknown kind", "retire",
                   [](const std::string& path, const TablePages&) {
                     testing::setPageMapByte(path, "retire", 0, 7);
                     return std::string("its page map is of an unknown kind (7).");
                   }},
        DamageCase{"a definition that counts one row fewer", "retire",
                   [](const std::string& path, const TablePages& pages) {
                     testing::setDefinitionRowCount(path, pages.definition, 61);
                     return std::string("it holds more rows than the 61 its definition counts.");
                   }},
        DamageCase{"a definition that counts one row more", "retire",
                   [](const std::string& path, const TablePages& pages) {
                     testing::setDefinitionRowCount(path, pages.definition, 63);
                     return std::string("only 62 of the 63 rows its definition counts were found.");
                   }},
        DamageCase{"a row marked deleted (0x8000) while the count still holds it", "retire",
                   [](const std::string& path, const TablePages& pages) {
                     const auto p = pages.dataPages.at(0);
                     testing::setRowOffset(path, p, 0, testing::rowOffset(path, p, 0) | 0x8000);
                     return std::string("only 61 of the 62 rows its definition counts were found.");
                   }},
        DamageCase{"a row marked as overflow (0x4000) that holds no row address", "retire",
                   [](const std::string& path, const TablePages& pages) {
                     const auto p = pages.dataPages.at(0);
                     testing::setRowOffset(path, p, 3, testing::rowOffset(path, p, 3) | 0x4000);
                     return "an overflow row of " + page(p) + " points";
                   }},
        DamageCase{"a row offset pointing into the offset table", "retire",
                   [](const std::string& path, const TablePages& pages) {
                     testing::setRowOffset(path, pages.dataPages.at(0), 5, 20);
                     return "the rows of " + page(pages.dataPages.at(0)) +
                            " lie outside the page or overlap.";
                   }},
        DamageCase{"two row offsets swapped, so that the rows overlap", "incom_rep",
                   [](const std::string& path, const TablePages& pages) {
                     const auto p = pages.dataPages.at(1);
                     const auto third = testing::rowOffset(path, p, 2);
                     testing::setRowOffset(path, p, 2, testing::rowOffset(path, p, 3));
                     testing::setRowOffset(path, p, 3, third);
                     return "the rows of " + page(p) + " lie outside the page or overlap.";
                   }},
        DamageCase{"its only data page claimed by another table", "retire",
                   [](const std::string& path, const TablePages& pages) {
                     testing::setPageOwner(path, pages.dataPages.at(0),
                                           pagesOfTable(path, "labor").definition);
                     return std::string("only 0 of the 62 rows its definition counts were found.");
                   }}),
    [](const auto& info) { return tiermend::testing::testNameFrom(info.param.what); });

TEST(JetRowFlags, ARowDeletedAsAccessDeletesItIsPassedOver) {
  ScratchFolder folder;
  const std::string path = folder.copyOf("tiermenddb.mdb", "tiermenddb.mdb");
  const TablePages pages = pagesOfTable(path, "retire");
  const auto p = pages.dataPages.at(0);
  testing::setRowOffset(path, p, 0, testing::rowOffset(path, p, 0) | 0xC000);
  testing::setDefinitionRowCount(path, pages.definition, 61);
  auto session = openSession(path, "");
  const auto rows = readAll(*session, "select grade from retire").rows;
  ASSERT_EQ(rows.size(), 61u);
  EXPECT_EQ(rows.front().front(), Value(std::int64_t{2}));
}

// The system catalogue of this Jet 3 file holds 27 rows whose bytes were moved to
// another place (an overflow row pointing at a moved row): each is read once, from
// where its bytes now lie.
TEST(JetRowFlags, OverflowRowsAreFollowedToTheirMovedBytes) {
  auto session = openSession(fixture("jet3/nwind.mdb"), "");
  const auto result = readAll(*session, "select Id, Name from MSysObjects");
  ASSERT_EQ(result.rows.size(), 106u);
  std::set<std::int64_t> ids;
  for (const auto& row : result.rows) ids.insert(std::get<std::int64_t>(row[0]));
  EXPECT_EQ(ids.size(), 106u);
}

// The file that overflows libmdb's catalogue reader: our reader reads its catalogue and
// reports the bracket tables whose pages do not add up as damage, naming the file.
TEST(JetDamagedFileTest, TheFileThatBrokeLibmdbIsReportedAsDamaged) {
  ScratchFolder folder;
  const std::string path = folder.copyOfFile(
      TIERMEND_LIBMDB_CRASHES "/catalogue-properties-heap-overflow.mdb", "tiermenddb.mdb");
  auto session = openSession(path, "");
  const std::string message = failureOf([&] { readAll(*session, "select * from labor"); });
  const std::string expected = "The table 'labor' in '" + path + "' is damaged: ";
  EXPECT_EQ(message.substr(0, expected.size()), expected) << message;
}

// A target whose definition is damaged is refused before anything is written, and the
// message names the file the user gave, not the working copy beside it.
TEST(JetDamagedFileTest, ADamagedTargetIsNamedByItsOwnPathNeverTheWorkingCopy) {
  ScratchFolder folder;
  const std::string path = folder.copyOf("tiermenddb.mdb", "basedb.mdb");
  const TablePages pages = pagesOfTable(path, "labor");
  // The second column takes the first one's number.
  testing::patchDefinition(path, pages.definition,
                           kJet4Format.realIndexCountsStart + kJet4Format.columnEntrySize +
                               kJet4Format.columnNumberOffset,
                           {0, 0});
  const auto before = testing::fileBytes(path);
  auto session = openSession(path, "");
  const std::string message = failureOf([&] { session->execute("delete from labor"); });
  EXPECT_EQ(message, "The table 'labor' in '" + path +
                         "' is damaged: its column 'insured_salary' has the number 0 of another "
                         "column.");
  EXPECT_EQ(message.find(".tiermend-"), std::string::npos);
  EXPECT_EQ(testing::fileBytes(path), before);
}

}  // namespace
}  // namespace tiermend::data::jet
