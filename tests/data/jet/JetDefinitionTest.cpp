// Table definitions that do not add up are refused with what is wrong, before a row is
// read or written. The definitions are those of the update package held in memory, each
// changed the way a damaged file changes them.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "JetTestSupport.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/tables/JetCatalog.h"
#include "data/providers/jet/tables/JetTableDefinition.h"
#include "tests/support/TestName.h"

namespace tiermend::data::jet {
namespace {

const JetFormat& kFormat = kJet4Format;

std::string noJet3Names(const std::uint8_t*, std::size_t) {
  return {};
}

JetMemoryPages pagesOf(const std::string& path) {
  const auto bytes = testing::fileBytes(path);
  JetMemoryPages pages(static_cast<int>(kFormat.pageSize));
  for (std::size_t at = 0; at + kFormat.pageSize <= bytes.size(); at += kFormat.pageSize) {
    pages.append(Page(bytes.begin() + static_cast<long>(at),
                      bytes.begin() + static_cast<long>(at + kFormat.pageSize)));
  }
  return pages;
}

std::uint32_t definitionPageOf(const JetPageStore& pages, const std::string& table) {
  for (const auto& entry : readCatalogue(pages, kFormat, noJet3Names, "package")) {
    if (entry.name == table) return entry.definitionPage;
  }
  throw std::runtime_error("no table " + table);
}

// Where column entry `index` of a definition without indexes starts.
std::size_t columnEntry(std::size_t index) {
  return kFormat.realIndexCountsStart + index * kFormat.columnEntrySize;
}

struct DefinitionDamage {
  const char* what;
  std::function<void(Page& definition, std::uint32_t page)> damage;
  const char* expected;  // the words after "is damaged: "
};

void PrintTo(const DefinitionDamage& c, std::ostream* os) {
  *os << c.what;
}

class JetDamagedDefinition : public ::testing::TestWithParam<DefinitionDamage> {};

// labor: grade Integer, insured_salary Long, four Currency columns, note Text(20).
TEST_P(JetDamagedDefinition, IsRefusedSayingWhatIsWrong) {
  JetMemoryPages pages = pagesOf(testing::fixture("tiermenddb.mdb"));
  const std::uint32_t number = definitionPageOf(pages, "labor");
  Page definition = pages.read(number);
  ASSERT_NO_THROW(
      parseTableDefinition(readDefinitionBytes(pages, kFormat, number), kFormat, noJet3Names));
  GetParam().damage(definition, number);
  pages.write(number, definition);
  try {
    parseTableDefinition(readDefinitionBytes(pages, kFormat, number), kFormat, noJet3Names);
    ADD_FAILURE() << "the damaged definition was accepted";
  } catch (const JetDefinitionError& error) {
    EXPECT_EQ(std::string(error.what()), GetParam().expected);
  }
}

void put16(Page& page, std::size_t at, std::uint16_t value) {
  putU16(page, at, value);
}

INSTANTIATE_TEST_SUITE_P(
    Damages, JetDamagedDefinition,
    ::testing::Values(
        DefinitionDamage{
            "a real-index count of 0x7FFFFFFF",
            [](Page& d, std::uint32_t) { putU32(d, kFormat.realIndexCountOffset, 0x7FFFFFFF); },
            "its definition holds less than its counts and names call for"},
        DefinitionDamage{"a column count of 0",
                         [](Page& d, std::uint32_t) { put16(d, kFormat.columnCountOffset, 0); },
                         "its definition lists no columns"},
        DefinitionDamage{"more columns than its rows hold",
                         [](Page& d, std::uint32_t) { put16(d, kFormat.rowColumnCountOffset, 3); },
                         "its definition counts 7 columns but rows of 3"},
        DefinitionDamage{"a column number changed to another column's",
                         [](Page& d, std::uint32_t) {
                           put16(d, columnEntry(1) + kFormat.columnNumberOffset, 0);
                         },
                         "its column 'insured_salary' has the number 0 of another column"},
        DefinitionDamage{"a column number outside the row",
                         [](Page& d, std::uint32_t) {
                           put16(d, columnEntry(1) + kFormat.columnNumberOffset, 200);
                         },
                         "its column 'insured_salary' has number 200, outside the 7 columns of "
                         "its rows"},
        DefinitionDamage{"a fixed offset moved onto the column before",
                         [](Page& d, std::uint32_t) {
                           put16(d, columnEntry(1) + kFormat.columnFixedOffsetOffset, 1);
                         },
                         "its fixed-size columns overlap"},
        DefinitionDamage{"a fixed offset beyond any row",
                         [](Page& d, std::uint32_t) {
                           put16(d, columnEntry(1) + kFormat.columnFixedOffsetOffset, 4090);
                         },
                         "its column 'insured_salary' lies outside the row"},
        DefinitionDamage{
            "a Long column three bytes long",
            [](Page& d, std::uint32_t) { put16(d, columnEntry(1) + kFormat.columnSizeOffset, 3); },
            "its column 'insured_salary' is 3 bytes long, which its kind cannot be"},
        DefinitionDamage{"a text column longer than text can be",
                         [](Page& d, std::uint32_t) {
                           put16(d, columnEntry(6) + kFormat.columnSizeOffset, 600);
                         },
                         "its column 'note' is 600 bytes long, more than its kind holds"},
        DefinitionDamage{"a variable column count that differs from the columns",
                         [](Page& d, std::uint32_t) { put16(d, kFormat.varColumnCountOffset, 2); },
                         "its definition counts 2 variable columns but lists 1"},
        DefinitionDamage{"two variable columns in one offset entry",
                         [](Page& d, std::uint32_t) {
                           // The Long column becomes variable, in the note's entry.
                           d[columnEntry(1) + kFormat.columnFlagsOffset] = 0;
                           put16(d, kFormat.varColumnCountOffset, 2);
                         },
                         "its column 'note' has a variable entry outside its rows or of another "
                         "column"},
        DefinitionDamage{
            "a definition that continues on itself",
            [](Page& d, std::uint32_t page) { putU32(d, kFormat.definitionNextPageOffset, page); },
            "its definition pages form a loop"},
        DefinitionDamage{
            "a definition that continues beyond the file",
            [](Page& d, std::uint32_t) { putU32(d, kFormat.definitionNextPageOffset, 100000); },
            "its definition continues on page 100000, beyond the end of the file"}),
    [](const auto& info) { return tiermend::testing::testNameFrom(info.param.what); });

TEST(JetTableDefinitionTest, ColumnsOfTheAccessMadeFixturesAreReadWithKindsSizesAndScale) {
  JetMemoryPages pages = pagesOf(testing::fixture("types.mdb"));
  const std::uint32_t number = definitionPageOf(pages, "all_types");
  const JetTableDefinition table =
      parseTableDefinition(readDefinitionBytes(pages, kFormat, number), kFormat, noJet3Names);
  bool sawDecimal = false;
  for (const JetColumnDefinition& column : table.columns) {
    if (column.kind != kJetDecimal) continue;
    sawDecimal = true;
    // Access stores the precision before the scale: Decimal(18, 6) in this fixture.
    EXPECT_EQ(column.precision, 18);
    EXPECT_EQ(column.scale, 6);
  }
  EXPECT_TRUE(sawDecimal);
  ASSERT_FALSE(table.realIndexes.empty());
  for (const JetLogicalIndex& index : table.indexes) {
    ASSERT_LT(static_cast<std::size_t>(index.realIndex), table.realIndexes.size());
    EXPECT_FALSE(index.name.empty());
  }
  for (const JetRealIndex& index : table.realIndexes) {
    ASSERT_FALSE(index.columns.empty());
    EXPECT_LT(index.firstPage, pages.pageCount());
  }
}

}  // namespace
}  // namespace tiermend::data::jet
