// The parts above the page file, tested on pages held in memory: rows the packer makes
// are divided back into the same values by the reader's splitter (Jet 3 and Jet 4, short
// rows and rows past the Jet 3 jump-table boundary), and rows added to a data page are
// found where its offset table says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/tables/JetColumns.h"
#include "data/providers/jet/tables/JetRowPacker.h"
#include "data/providers/jet/tables/JetRowSplitter.h"
#include "data/providers/jet/tables/JetWritableTable.h"
#include "data/providers/jet/values/JetTextCodec.h"
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

// Jet 3 text in Windows-1252, Jet 4 text in UTF-16LE.
JetTextCodec textOf(bool jet3) {
  return JetTextCodec(jet3, 1252);
}

// What the reader makes of one field, as the cursor reads it.
Value readField(const JetColumnDefinition& c, const JetField& field, const std::uint8_t* row,
                bool jet3) {
  const JetValueCodec codec(valueColumnOf(c), textOf(jet3));
  return codec.decode(field.present, row + field.start, field.size, nullptr);
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
    JetRowPacker packer("t", table, format, textOf(jet3));
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
  JetRowPacker packer("t", table, format, textOf(false));
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
  storeU16(damaged.data() + damaged.size() - 5, 0x0FFF);
  EXPECT_FALSE(splitter.split(damaged.data(), damaged.size(), fields));
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
