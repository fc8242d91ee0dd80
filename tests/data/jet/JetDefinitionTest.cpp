// Table definitions that do not add up are refused with what is wrong, before a row is
// read or written. The definitions are those of the update package held in memory, each
// changed the way a damaged file changes them. What the definition records for the
// index writer is checked against Access-made files, and the definition writer against
// the reader's assembly of a definition's pages.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "JetTestSupport.h"
#include "data/EngineError.h"
#include "data/providers/jet/indexes/JetIndexPage.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/pages/JetPageCache.h"
#include "data/providers/jet/tables/JetCatalog.h"
#include "data/providers/jet/tables/JetDefinitionWriter.h"
#include "data/providers/jet/tables/JetTableDefinition.h"
#include "tests/support/FailureText.h"
#include "tests/support/TestName.h"

namespace tiermend::data::jet {
namespace {

const JetFormat& kFormat = kJet4Format;

const JetTextCodec kText(false, 0);

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
  for (const auto& entry : readCatalogue(pages, kFormat, kText, "package")) {
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
  ASSERT_NO_THROW(readTableDefinition(pages, kFormat, number, kText));
  GetParam().damage(definition, number);
  pages.write(number, definition);
  EXPECT_EQ(testing::failureMessageOf<JetDefinitionError>(
                [&] { readTableDefinition(pages, kFormat, number, kText); }),
            GetParam().expected);
}

void put16(Page& page, std::size_t at, std::uint16_t value) {
  storeU16(page.data() + at, value);
}

// Damage that writes a 16-bit or a 32-bit number at an offset of the definition.
std::function<void(Page&, std::uint32_t)> with16(std::size_t at, std::uint16_t value) {
  return [at, value](Page& d, std::uint32_t) { put16(d, at, value); };
}
std::function<void(Page&, std::uint32_t)> with32(std::size_t at, std::uint32_t value) {
  return [at, value](Page& d, std::uint32_t) { storeU32(d.data() + at, value); };
}

INSTANTIATE_TEST_SUITE_P(
    Damages, JetDamagedDefinition,
    ::testing::Values(
        DefinitionDamage{"a real-index count of 0x7FFFFFFF",
                         with32(kFormat.realIndexCountOffset, 0x7FFFFFFF),
                         "its definition holds less than its counts and names call for"},
        DefinitionDamage{"a column count of 0", with16(kFormat.columnCountOffset, 0),
                         "its definition lists no columns"},
        DefinitionDamage{"more columns than its rows hold", with16(kFormat.rowColumnCountOffset, 3),
                         "its definition counts 7 columns but rows of 3"},
        DefinitionDamage{"a column number changed to another column's",
                         with16(columnEntry(1) + kFormat.columnNumberOffset, 0),
                         "its column 'insured_salary' has the number 0 of another column"},
        DefinitionDamage{"a column number outside the row",
                         with16(columnEntry(1) + kFormat.columnNumberOffset, 200),
                         "its column 'insured_salary' has number 200, outside the 7 columns of "
                         "its rows"},
        DefinitionDamage{"a fixed offset moved onto the column before",
                         with16(columnEntry(1) + kFormat.columnFixedOffsetOffset, 1),
                         "its fixed-size columns overlap"},
        DefinitionDamage{"a fixed offset beyond any row",
                         with16(columnEntry(1) + kFormat.columnFixedOffsetOffset, 4090),
                         "its column 'insured_salary' lies outside the row"},
        DefinitionDamage{"a Long column three bytes long",
                         with16(columnEntry(1) + kFormat.columnSizeOffset, 3),
                         "its column 'insured_salary' is 3 bytes long, which its kind cannot be"},
        DefinitionDamage{"a text column longer than text can be",
                         with16(columnEntry(6) + kFormat.columnSizeOffset, 600),
                         "its column 'note' is 600 bytes long, more than its kind holds"},
        DefinitionDamage{"a variable column count below the columns listed",
                         with16(kFormat.varColumnCountOffset, 0),
                         "its definition counts 0 variable columns but lists 1"},
        DefinitionDamage{"two variable columns in one offset entry",
                         [](Page& d, std::uint32_t) {
                           // The Long column becomes variable, in the note's entry.
                           d[columnEntry(1) + kFormat.columnFlagsOffset] = 0;
                           put16(d, kFormat.varColumnCountOffset, 2);
                         },
                         "its column 'note' has a variable entry outside its rows or of another "
                         "column"},
        DefinitionDamage{"a definition that continues on itself",
                         [](Page& d, std::uint32_t page) {
                           storeU32(d.data() + kFormat.definitionNextPageOffset, page);
                         },
                         "its definition pages form a loop"},
        DefinitionDamage{"a definition that continues beyond the file",
                         with32(kFormat.definitionNextPageOffset, 100000),
                         "its definition continues on page 100000, beyond the end of the file"}),
    [](const auto& info) { return tiermend::testing::testNameFrom(info.param.what); });

TEST(JetTableDefinitionTest, ColumnsOfTheAccessMadeFixturesAreReadWithKindsSizesAndScale) {
  JetMemoryPages pages = pagesOf(testing::fixture("types.mdb"));
  const std::uint32_t number = definitionPageOf(pages, "all_types");
  const JetTableDefinition table = readTableDefinition(pages, kFormat, number, kText);
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

// The fields the index writer rewrites, found where the definition says they are: the
// first page names an index page of this table, and the entry count is what Access
// keeps there, the table's row count. Text columns declare General in its legacy form.
TEST(JetTableDefinitionTest, IndexFieldsAndTextSortOrdersOfAnAccessMadeTableAreWhereTheySay) {
  JetMemoryPages pages = pagesOf(testing::fixture("types.mdb"));
  const std::uint32_t number = definitionPageOf(pages, "all_types");
  const JetTableDefinition table = readTableDefinition(pages, kFormat, number, kText);
  const std::vector<std::uint8_t> bytes = readDefinitionRun(pages, kFormat, number).bytes;
  ASSERT_FALSE(table.realIndexes.empty());
  EXPECT_GE(table.realIndexesAt, kFormat.realIndexCountsStart);
  for (std::size_t r = 0; r < table.realIndexes.size(); ++r) {
    SCOPED_TRACE("real index " + std::to_string(r));
    const JetRealIndex& index = table.realIndexes[r];
    EXPECT_EQ(index.firstPageAt, table.realIndexesAt + r * kFormat.realIndexEntrySize +
                                     kFormat.realIndexFirstPageOffset);
    const Page root = pages.read(loadU32(bytes.data() + index.firstPageAt));
    EXPECT_TRUE(root[0] == static_cast<std::uint8_t>(JetPageType::IndexNode) ||
                root[0] == static_cast<std::uint8_t>(JetPageType::IndexLeaf));
    EXPECT_EQ(loadU32(root.data() + kIndexTableDefinitionOffset), number);
    ASSERT_LT(index.entryCountAt + 4, bytes.size());
    EXPECT_EQ(loadU32(bytes.data() + index.entryCountAt), table.rowCount);
  }
  int textColumns = 0;
  for (const JetColumnDefinition& column : table.columns) {
    if (column.kind != kJetText) continue;
    ++textColumns;
    EXPECT_EQ(column.sortLocale, 1033) << column.name;
    EXPECT_EQ(column.sortVersion, 0) << column.name;
  }
  EXPECT_GT(textColumns, 0);
}

// A definition on three pages, chained out of order (1, then 3, then 2), each byte after
// the page headers holding its own pattern.
JetMemoryPages threePageDefinition() {
  JetMemoryPages pages(static_cast<int>(kFormat.pageSize));
  const std::uint32_t next[] = {0, 3, 0, 2};
  for (std::uint32_t number = 0; number < 4; ++number) {
    Page page(kFormat.pageSize, 0);
    for (std::size_t at = kDefinitionContinuationHeader; at < page.size(); ++at) {
      page[at] = static_cast<std::uint8_t>(at * 7 + number);
    }
    page[0] = static_cast<std::uint8_t>(JetPageType::TableDefinition);
    storeU32(page.data() + kFormat.definitionNextPageOffset, next[number]);
    pages.append(page);
  }
  return pages;
}

struct FieldCase {
  const char* what;
  std::size_t at;
};

TEST(JetDefinitionWriterTest, AFieldWrittenAtAnOffsetIsReadBackThereFromTheChainsPages) {
  const std::size_t first = kFormat.pageSize;
  const std::size_t later = kFormat.pageSize - kDefinitionContinuationHeader;
  const FieldCase cases[] = {
      {"inside the first page", 16},
      {"the first page's last bytes", first - 4},
      {"across the first page's end", first - 2},
      {"the second page's first bytes", first},
      {"across the second page's end", first + later - 1},
      {"the third page's first bytes", first + later},
      {"the run's last bytes", first + 2 * later - 4},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.what);
    JetMemoryPages pages = threePageDefinition();
    const JetDefinitionRun before = readDefinitionRun(pages, kFormat, 1);
    ASSERT_EQ(before.laterPages, (std::vector<std::uint32_t>{3, 2}));
    // The first page whole, then page 3 and page 2 after their headers.
    ASSERT_EQ(before.bytes.size(), first + 2 * later);
    ASSERT_EQ(before.bytes[first], pages.read(3)[kDefinitionContinuationHeader]);
    ASSERT_EQ(before.bytes[first + later], pages.read(2)[kDefinitionContinuationHeader]);
    JetTableDefinition definition;
    definition.page = 1;
    definition.laterPages = before.laterPages;
    JetPageCache cache(pages);
    JetDefinitionWriter writer(cache, definition);
    writer.writeU32(c.at, 0xA1B2C3D4);
    EXPECT_EQ(writer.readU32(c.at), 0xA1B2C3D4u);
    cache.flush();
    std::vector<std::uint8_t> expected = before.bytes;
    storeU32(expected.data() + c.at, 0xA1B2C3D4);
    EXPECT_EQ(readDefinitionRun(pages, kFormat, 1).bytes, expected);
  }
}

TEST(JetDefinitionWriterTest, AFieldRunningPastTheChainIsRefusedAndChangesNothing) {
  JetMemoryPages pages = threePageDefinition();
  const JetDefinitionRun before = readDefinitionRun(pages, kFormat, 1);
  JetTableDefinition definition;
  definition.page = 1;
  definition.laterPages = before.laterPages;
  JetPageCache cache(pages);
  JetDefinitionWriter writer(cache, definition);
  for (std::size_t at : {before.bytes.size() - 3, before.bytes.size()}) {
    EXPECT_THROW(writer.writeU32(at, 0xFFFFFFFF), EngineError) << at;
  }
  cache.flush();
  EXPECT_EQ(readDefinitionRun(pages, kFormat, 1).bytes, before.bytes);
}

}  // namespace
}  // namespace tiermend::data::jet
