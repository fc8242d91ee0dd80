// The parts above the page file, tested on pages held in memory: rows the packer makes
// are divided back into the same values by the reader's splitter (Jet 3 and Jet 4, short
// rows and rows past the Jet 3 jump-table boundary), and pages the writer's usage map
// records are the pages the reader's map decoder lists, in both map forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/pages/JetPageCache.h"
#include "data/providers/jet/pages/JetPageMap.h"
#include "data/providers/jet/pages/JetUsageMap.h"
#include "data/providers/jet/tables/JetRowPacker.h"
#include "data/providers/jet/tables/JetRowSplitter.h"
#include "data/providers/jet/tables/JetWritableTable.h"
#include "data/providers/jet/values/JetText.h"
#include "data/providers/jet/values/JetValueCodec.h"

namespace tiermend::data::jet {
namespace {

JetColumnDefinition column(const char* name, int kind, int number, bool fixed, int offset,
                           int size) {
  JetColumnDefinition c;
  c.name = name;
  c.kind = kind;
  c.number = number;
  c.flags = fixed ? kColumnFixed : 0;
  if (fixed) {
    c.fixedOffset = offset;
  } else {
    c.varIndex = offset;
  }
  c.size = size;
  return c;
}

// id Long, amount Currency, paid Yes/No, name Text, note Text, rate Decimal(10,3) kept
// in the variable area as Access keeps it.
JetTableDefinition sampleTable(bool jet3) {
  JetTableDefinition table;
  table.page = 2;
  table.rowColumnCount = 6;
  table.varColumnCount = 3;
  const int text = jet3 ? 255 : 510;
  table.columns = {
      column("id", kJetInt32, 0, true, 0, 4),      column("amount", kJetCurrency, 1, true, 4, 8),
      column("paid", kJetBoolean, 2, true, 0, 1),  column("name", kJetText, 3, false, 0, text),
      column("note", kJetText, 4, false, 1, text), column("rate", kJetDecimal, 5, false, 2, 17)};
  table.columns[5].precision = 10;
  table.columns[5].scale = 3;
  table.fixedSize = 12;
  return table;
}

std::vector<std::uint8_t> asBytes(const std::string& text, const std::string&) {
  return {text.begin(), text.end()};
}

std::string fromBytes(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// What the reader makes of one field, as the cursor reads it.
Value readField(const JetColumnDefinition& c, const JetField& field, const std::uint8_t* row,
                bool jet3) {
  if (c.kind == kJetBoolean) return field.present;
  if (!field.present) return Null{};
  const std::uint8_t* bytes = row + field.start;
  if (c.kind == kJetText) {
    return jet3 ? fromBytes(bytes, field.size) : decodeJet4Text(bytes, field.size);
  }
  return decodeFixedValue(c.kind, c.scale, bytes, c.name);
}

struct RowCase {
  const char* what;
  std::vector<Value> values;
};

TEST(JetRowRoundTripTest, PackedRowsSplitBackIntoTheirValuesInJet3AndJet4) {
  const std::string longText(200, 'x');
  const RowCase cases[] = {
      {"every value present",
       {std::int64_t{7}, Decimal{"12.5000"}, true, std::string("Ann"), std::string("n"),
        Decimal{"1.250"}}},
      {"nulls and No", {Null{}, Null{}, false, Null{}, std::string(""), Null{}}},
      {"a row past 256 bytes (the Jet 3 jump table)",
       {std::int64_t{-1}, Decimal{"-0.0001"}, true, longText, longText, Decimal{"-9999999.999"}}},
      {"a row past 512 bytes ending in a null",
       {std::int64_t{1}, Null{}, false, std::string(250, 'y'), std::string(250, 'z'), Null{}}},
  };
  for (bool jet3 : {true, false}) {
    const JetFormat& format = jetFormat(jet3);
    const JetTableDefinition table = sampleTable(jet3);
    checkWritable("t", table, format);
    JetRowPacker packer("t", table, format, asBytes, fromBytes);
    JetRowSplitter splitter(table, format);
    for (const RowCase& c : cases) {
      SCOPED_TRACE(std::string(jet3 ? "Jet 3: " : "Jet 4: ") + c.what);
      const std::vector<std::uint8_t> row = packer.pack(c.values);
      std::vector<Value> stored;
      packer.storedValues(stored);
      std::vector<JetField> fields;
      ASSERT_TRUE(splitter.split(row.data(), row.size(), fields));
      for (std::size_t i = 0; i < table.columns.size(); ++i) {
        SCOPED_TRACE(table.columns[i].name);
        const Value read = readField(table.columns[i], fields[i], row.data(), jet3);
        EXPECT_EQ(read, stored[i]);
        EXPECT_EQ(read, isNull(c.values[i]) && table.columns[i].kind == kJetBoolean ? Value{false}
                                                                                    : c.values[i]);
      }
    }
  }
}

TEST(JetRowRoundTripTest, RowsWhoseBytesDoNotAddUpAreNotSplit) {
  const JetFormat& format = kJet4Format;
  const JetTableDefinition table = sampleTable(false);
  JetRowPacker packer("t", table, format, asBytes, fromBytes);
  const std::vector<std::uint8_t> row =
      packer.pack({std::int64_t{7}, Decimal{"1.0000"}, true, std::string("Ann"), std::string("n"),
                   Decimal{"1.250"}});
  JetRowSplitter splitter(table, format);
  std::vector<JetField> fields;
  for (std::size_t size = 0; size < 4; ++size) {
    EXPECT_FALSE(splitter.split(row.data(), size, fields)) << size;
  }
  std::vector<std::uint8_t> damaged = row;
  // The variable count sits before the one-byte null mask: claim more entries than fit.
  damaged[damaged.size() - 3] = 200;
  EXPECT_FALSE(splitter.split(damaged.data(), damaged.size(), fields));
  damaged = row;
  // The first variable start (just before the count) pointing past the row's data.
  putU16(damaged, damaged.size() - 5, 0x0FFF);
  EXPECT_FALSE(splitter.split(damaged.data(), damaged.size(), fields));
}

// A Jet 4 store of `pages` pages whose page 1 holds an empty inline usage map as row 0.
JetMemoryPages storeWithMap(std::uint32_t pages) {
  const JetFormat& format = kJet4Format;
  JetMemoryPages store(static_cast<int>(format.pageSize));
  Page blank(format.pageSize, 0);
  store.append(blank);
  Page holder(format.pageSize, 0);
  JetDataPage::initialise(holder, false, 0);
  std::vector<std::uint8_t> map(64, 0);  // the inline map Access makes: 59 bytes of bitmap
  JetDataPage(holder, false).addRow(map.data(), map.size());
  store.append(holder);
  while (store.pageCount() < pages) store.append(blank);
  return store;
}

std::vector<std::uint32_t> pagesTheReaderFinds(JetPageStore& store) {
  const Page holder = store.read(1);
  JetRowBounds bounds;
  EXPECT_TRUE(rowBounds(holder, kJet4Format, 0, bounds));
  const PageReader read = [&store](std::uint32_t number, std::vector<std::uint8_t>& buffer) {
    store.read(number, buffer);
    return true;
  };
  return pagesOfMap(holder.data() + bounds.start, bounds.end - bounds.start,
                    {kJet4Format.pageSize, store.pageCount()}, read);
}

TEST(JetUsageMapInMemoryTest, TheReaderListsThePagesTheWriterRecordsInBothMapForms) {
  const std::vector<std::vector<std::uint32_t>> cases = {
      {},
      {3, 10, 400},        // inside what the inline map covers
      {3, 10, 400, 1500},  // too far apart for it: the map becomes a reference map
      {600, 700, 1000},    // the inline window moves forward instead
  };
  for (const auto& wanted : cases) {
    SCOPED_TRACE(::testing::PrintToString(wanted));
    JetMemoryPages store = storeWithMap(2000);
    JetPageCache cache(store);
    JetUsageMap map(cache, kGlobalMapPointer);
    const JetUsageMap::PageAllocator allocate = [&store](const Page& page) {
      return store.append(page);
    };
    for (std::uint32_t page : wanted) map.add(page, allocate);
    cache.flush();
    EXPECT_EQ(map.pages(), wanted);
    EXPECT_EQ(pagesTheReaderFinds(store), wanted);
    if (!wanted.empty()) {
      map.remove(wanted.front());
      cache.flush();
      const std::vector<std::uint32_t> rest(wanted.begin() + 1, wanted.end());
      EXPECT_EQ(pagesTheReaderFinds(store), rest);
    }
  }
}

TEST(JetDataPageInMemoryTest, RowsAddedAreFoundWhereTheOffsetTableSays) {
  for (bool jet3 : {true, false}) {
    const JetFormat& format = jetFormat(jet3);
    Page page(format.pageSize, 0);
    JetDataPage::initialise(page, jet3, 9);
    JetDataPage data(page, jet3);
    std::vector<std::vector<std::uint8_t>> rows;
    for (std::uint8_t n = 1; data.fits(100); ++n) {
      rows.emplace_back(100, n);
      data.addRow(rows.back().data(), rows.back().size());
    }
    EXPECT_EQ(static_cast<std::size_t>(data.rowCount()), rows.size());
    EXPECT_EQ(rows.size(), (format.pageSize - format.dataRowCountOffset - 2) / 102);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      JetRowBounds bounds;
      ASSERT_TRUE(rowBounds(page, format, i, bounds));
      EXPECT_EQ(std::vector<std::uint8_t>(page.begin() + static_cast<long>(bounds.start),
                                          page.begin() + static_cast<long>(bounds.end)),
                rows[i]);
    }
    JetRowBounds none;
    EXPECT_FALSE(rowBounds(page, format, rows.size(), none));
    EXPECT_TRUE(data.isDataPageOf(9));
    EXPECT_EQ(data.markAllDeleted(), static_cast<int>(rows.size()));
    EXPECT_TRUE(data.allRowsDeleted());
  }
}

}  // namespace
}  // namespace tiermend::data::jet
