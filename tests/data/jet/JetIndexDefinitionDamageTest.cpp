// Index definitions that do not hold are refused as damage before anything is written,
// naming the table, the index and what is wrong, and the file is left byte for byte as
// it was; the order byte of a key column is read as Access reads it (bit 0), and a
// primary key is unique and keeps nulls out as Access makes it. Each case patches one
// field of labor's definition after giving it a primary key and a plain index. A page
// usage map of the table reaching beyond the file is damage of that table too.
#include <gtest/gtest.h>

#include <functional>

#include "JetIndexedTables.h"
#include "JetTestSupport.h"
#include "data/providers/jet/JetProvider.h"
#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/indexes/JetIndexDefinitions.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/read/JetDatabase.h"

namespace tiermend::data::jet {
namespace {

using testing::failureOf;
using testing::FileBytes;

// Where labor's definition keeps its index entries in the file.
struct IndexFields {
  std::size_t definition = 0;  // the definition's first byte in the file
  std::size_t real[2] = {};    // each stored index's entry
  std::size_t logical[2] = {};
};

IndexFields indexFields(const std::string& path) {
  const auto database = JetDatabase::open(path, "");
  const auto table = database->openTable("labor");
  const JetTableDefinition& definition = table->definition;
  const JetFormat& format = *database->format;
  IndexFields fields;
  fields.definition = definition.page * format.pageSize;
  const std::size_t realAt = fields.definition + definition.realIndexesAt;
  const std::size_t logicalAt = realAt + definition.realIndexes.size() * format.realIndexEntrySize;
  for (std::size_t i = 0; i < 2; ++i) {
    fields.real[i] = realAt + i * format.realIndexEntrySize;
    fields.logical[i] = logicalAt + i * format.indexEntrySize;
  }
  return fields;
}

// The message of refreshing labor; rolled back on a failure.
std::string refreshLabor(const std::string& path, const std::vector<std::vector<Value>>& rows) {
  auto session = openSession(path, "");
  session->beginTransaction();
  const std::string failure = failureOf([&] {
    session->execute("delete from labor");
    for (const auto& row : rows) session->insert("labor", {"grade", "note"}, row);
    session->commit();
  });
  if (failure != "(no failure)") session->rollback();
  return failure;
}

class JetIndexDefinitionDamageTest : public testing::JetScratchTest {
 protected:
  void SetUp() override {
    testing::addIndexes(target, "labor", {{"PrimaryKey", {{"grade"}}, true}, {"note", {{"note"}}}});
  }
  std::string target = targetCopyOf("tiermenddb.mdb", "labor");
  const JetFormat& format = kJet4Format;
};

TEST_F(JetIndexDefinitionDamageTest, ADefinitionThatDoesNotHoldIsRefusedBeforeAnythingIsWritten) {
  const IndexFields fields = indexFields(target);
  const FileBytes pristine = testing::fileBytes(target);
  struct Case {
    const char* what;
    std::function<void(FileBytes&)> damage;
    std::string how;
  };
  const auto u32 = [](FileBytes& bytes, std::size_t at, std::uint32_t value) {
    storeU32(bytes.data() + at, value);
  };
  const Case cases[] = {
      {"a usage-map pointer of 0",
       [&](FileBytes& b) { u32(b, fields.real[0] + format.realIndexUsageMapOffset, 0); },
       "its index 'PrimaryKey' has no page usage map inside the file"},
      {"two stored indexes sharing one usage map",
       [&](FileBytes& b) {
         u32(b, fields.real[1] + format.realIndexUsageMapOffset,
             loadU32(b.data() + fields.real[0] + format.realIndexUsageMapOffset));
       },
       "its index 'note' shares its page usage map with index 'PrimaryKey'"},
      {"a stored index in the table's own page map",
       [&](FileBytes& b) {
         u32(b, fields.real[1] + format.realIndexUsageMapOffset,
             loadU32(b.data() + fields.definition + format.ownedMapOffset));
       },
       "its index 'note' keeps its pages in the table's own page map"},
      {"stored indexes beside an index count of 0",
       [&](FileBytes& b) { u32(b, fields.definition + format.indexCountOffset, 0); },
       "its definition keeps 2 stored indexes but counts no index"},
      {"a primary key over a stored index not marked unique",
       [&](FileBytes& b) { b[fields.real[0] + format.realIndexFlagsOffset] &= ~kIndexUnique; },
       "its index 'PrimaryKey' is a primary key over a stored index not marked unique"},
      {"a primary key over a stored index that leaves nulls out",
       [&](FileBytes& b) { b[fields.real[0] + format.realIndexFlagsOffset] |= kIndexIgnoreNulls; },
       "its index 'PrimaryKey' is a primary key over a stored index that leaves nulls out"},
      {"a key column's order byte of no known meaning",
       [&](FileBytes& b) { b[fields.real[0] + format.realIndexColumnsOffset + 2] = 0x05; },
       "its index 'PrimaryKey' gives a key column the order byte 0x05, which means no known "
       "order"},
      {"a root page of 0",
       [&](FileBytes& b) { u32(b, fields.real[1] + format.realIndexFirstPageOffset, 0); },
       "its index 'note' starts on page 0, outside the file"},
      {"two stored indexes sharing a root page",
       [&](FileBytes& b) {
         u32(b, fields.real[1] + format.realIndexFirstPageOffset,
             loadU32(b.data() + fields.real[0] + format.realIndexFirstPageOffset));
       },
       "its index 'note' starts on the page of index 'PrimaryKey'"},
      {"an index of an unknown type",
       [&](FileBytes& b) { b[fields.logical[1] + format.indexTypeOffset] = 7; },
       "its index 'note' is of an unknown type (7)"},
      {"two primary keys",
       [&](FileBytes& b) { b[fields.logical[1] + format.indexTypeOffset] = kIndexPrimaryKey; },
       "its definition has more than one primary key"},
      {"a stored index no index names",
       [&](FileBytes& b) { u32(b, fields.logical[1] + format.indexRealIndexOffset, 0); },
       "its stored index 2 is named by no index"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FileBytes damaged = pristine;
    c.damage(damaged);
    testing::writeBytes(target, damaged);
    EXPECT_EQ(refreshLabor(target, {{std::int64_t{1}, Null{}}}),
              "The table 'labor' in '" + target + "' is damaged: " + c.how + ".");
    EXPECT_TRUE(testing::fileBytes(target) == damaged);
  }
}

// Access reads bit 0 of the order byte: 0xFF is ascending and 0x02 descending. The index
// is rebuilt in that order: an ascending key starts with the value flag, a descending
// one with its inverse.
TEST_F(JetIndexDefinitionDamageTest, TheOrderByteIsReadAsAccessReadsIt) {
  const IndexFields fields = indexFields(target);
  const FileBytes pristine = testing::fileBytes(target);
  const std::pair<std::uint8_t, std::uint8_t> cases[] = {
      {0x01, kKeyValueFlag},
      {0xFF, kKeyValueFlag},
      {0x00, static_cast<std::uint8_t>(~kKeyValueFlag)},
      {0x02, static_cast<std::uint8_t>(~kKeyValueFlag)},
  };
  for (const auto& [order, firstKeyByte] : cases) {
    SCOPED_TRACE(static_cast<int>(order));
    FileBytes changed = pristine;
    changed[fields.real[0] + format.realIndexColumnsOffset + 2] = order;
    testing::writeBytes(target, changed);
    ASSERT_EQ(refreshLabor(target, {{std::int64_t{1}, Null{}}, {std::int64_t{2}, Null{}}}),
              "(no failure)");
    const auto back = testing::readIndexBack(target, "labor", "PrimaryKey");
    ASSERT_EQ(back.faults, std::vector<std::string>{});
    ASSERT_EQ(back.keys.size(), 2u);
    EXPECT_EQ(back.keys[0][0], firstKeyByte);
    EXPECT_EQ(back.entriesFoundByLookup, 2u);
  }
}

// The 200 KB file once said "The database file is too large for its page usage map.":
// its free-space map's window started far beyond the file, and adding a page to it
// widened it into a reference map that no file's pages could fill. That is damage of
// labor's map, and said so.
TEST_F(JetIndexDefinitionDamageTest, AMapWhoseWindowStartsBeyondTheFileIsDamageOfItsTable) {
  std::uint32_t pointer = 0;
  {
    const auto database = JetDatabase::open(target, "");
    pointer = database->openTable("labor")->definition.freeMap;
  }
  FileBytes bytes = testing::fileBytes(target);
  Page holder(bytes.begin() + static_cast<long>(pageOfPointer(pointer) * format.pageSize),
              bytes.begin() + static_cast<long>((pageOfPointer(pointer) + 1) * format.pageSize));
  JetRowBounds row;
  ASSERT_TRUE(rowBounds(holder, format, rowOfPointer(pointer), row));
  ASSERT_EQ(holder[row.start], kUsageMapInline);
  storeU32(bytes.data() + pageOfPointer(pointer) * format.pageSize + row.start +
               kInlineMapStartPageOffset,
           15728640);
  testing::writeBytes(target, bytes);
  EXPECT_EQ(refreshLabor(target, {{std::int64_t{1}, Null{}}}),
            "The table 'labor' in '" + target + "' is damaged: its page usage map on page " +
                std::to_string(pageOfPointer(pointer)) +
                " starts at page 15728640, beyond the end of the file.");
  EXPECT_TRUE(testing::fileBytes(target) == bytes);
}

// The index definitions Access itself wrote pass every check: primary keys, AutoNumber,
// foreign-key and secondary indexes of user and system tables alike.
TEST(JetAccessMadeIndexDefinitionsTest, PassEveryCheck) {
  for (const char* name :
       {"real-access/northwind.mdb", "real-access/productsales.mdb",
        "real-access/salaryregisters.mdb", "real-access/xtreme.mdb", "types.mdb"}) {
    SCOPED_TRACE(name);
    const auto database = JetDatabase::open(testing::fixture(name), "");
    std::size_t checked = 0;
    for (const JetCatalogEntry& entry : database->tables) {
      SCOPED_TRACE(entry.name);
      const auto table = database->openTable(entry.name);
      if (table->definition.realIndexes.empty()) continue;
      EXPECT_EQ(failureOf([&] {
                  checkIndexDefinitions(table->definition, database->pages->pageCount());
                }),
                "(no failure)");
      ++checked;
    }
    EXPECT_GT(checked, 0u);
  }
}

}  // namespace
}  // namespace tiermend::data::jet
