// Indexes Microsoft Access wrote, in the Access-made Jet 4 files: our reader walks each
// of them, our encoder gives every row the key Access gave it, and the index rebuilt by
// our builder from those rows is byte for byte the page Access wrote. The table
// definitions and rows are read here with small code of the test's own, so that the
// comparison does not lean on the reader under test elsewhere.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>

#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/indexes/JetIndexBuilder.h"
#include "data/providers/jet/indexes/JetIndexKey.h"
#include "data/providers/jet/indexes/JetIndexReader.h"
#include "tests/support/HexBytes.h"

namespace tiermend::data::jet {
namespace {

using testing::spacedHex;

constexpr std::size_t kPage = 4096;

// A little-endian number at an offset this test's own reader states.
std::uint32_t little(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t size) {
  if (at + size > bytes.size()) throw std::out_of_range("a number beyond the bytes read");
  return static_cast<std::uint32_t>(loadLittle(bytes.data() + at, size));
}

struct AccessFile {
  std::vector<std::uint8_t> bytes;

  explicit AccessFile(const std::string& name) {
    std::ifstream in(std::string(TIERMEND_FIXTURES) + "/access-made/" + name, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::size_t pageCount() const { return bytes.size() / kPage; }
  std::span<const std::uint8_t> page(std::uint32_t number) const {
    if (number >= pageCount()) throw std::out_of_range("no page " + std::to_string(number));
    return std::span(bytes).subspan(number * kPage, kPage);
  }
  JetIndexPageSource source() const {
    return [this](std::uint32_t number) {
      const auto p = page(number);
      return std::vector<std::uint8_t>(p.begin(), p.end());
    };
  }
};

struct Column {
  std::uint8_t type = 0;
  std::uint16_t number = 0;
  std::uint16_t varIndex = 0;
  std::uint16_t fixedOffset = 0;
  std::uint16_t length = 0;
  bool fixed = false;
  bool compressed = false;
  JetSortOrder sortOrder;
  std::string name;
};

struct RealIndex {
  std::vector<std::pair<std::uint16_t, bool>> columns;  // column number, ascending
  std::uint32_t firstPage = 0;
};

struct TableDefinition {
  std::vector<Column> columns;
  std::vector<RealIndex> indexes;
};

// The definition's bytes, over as many pages as it takes.
std::vector<std::uint8_t> definitionBytes(const AccessFile& file, std::uint32_t number) {
  std::vector<std::uint8_t> bytes;
  for (bool first = true; number != 0; first = false) {
    const auto page = file.page(number);
    if (page[0] != 0x02) throw std::runtime_error("not a table definition page");
    bytes.insert(bytes.end(), page.begin() + (first ? 0 : 8), page.end());
    number = little(page, 4, 4);
  }
  return bytes;
}

std::string fromUtf16(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += bytes[i] < 0x80 && bytes[i + 1] == 0 ? static_cast<char>(bytes[i]) : '?';
  }
  return text;
}

TableDefinition readDefinition(const AccessFile& file, std::uint32_t number) {
  const std::vector<std::uint8_t> t = definitionBytes(file, number);
  TableDefinition table;
  const std::size_t columnCount = little(t, 45, 2);
  const std::size_t realIndexCount = little(t, 51, 4);
  std::size_t at = 63 + realIndexCount * 12;
  for (std::size_t i = 0; i < columnCount; ++i, at += 25) {
    Column column;
    column.type = t[at];
    column.number = static_cast<std::uint16_t>(little(t, at + 5, 2));
    column.varIndex = static_cast<std::uint16_t>(little(t, at + 7, 2));
    column.sortOrder = {static_cast<std::uint16_t>(little(t, at + 11, 2)), t[at + 14]};
    column.fixed = (t[at + 15] & 0x01) != 0;
    column.compressed = (t[at + 16] & 0x01) != 0;
    column.fixedOffset = static_cast<std::uint16_t>(little(t, at + 21, 2));
    column.length = static_cast<std::uint16_t>(little(t, at + 23, 2));
    table.columns.push_back(column);
  }
  for (Column& column : table.columns) {
    const std::size_t length = little(t, at, 2);
    column.name = fromUtf16(std::span(t).subspan(at + 2, length));
    at += 2 + length;
  }
  for (std::size_t i = 0; i < realIndexCount; ++i) {
    RealIndex index;
    at += 4;
    for (int c = 0; c < 10; ++c, at += 3) {
      const std::uint32_t columnNumber = little(t, at, 2);
      if (columnNumber != 0xFFFF) {
        index.columns.emplace_back(static_cast<std::uint16_t>(columnNumber), t[at + 2] == 0x01);
      }
    }
    index.firstPage = little(t, at + 4, 4);
    at += 18;
    table.indexes.push_back(index);
  }
  return table;
}

// The bytes of a row, following a row that was moved to another page.
std::span<const std::uint8_t> rowBytes(const AccessFile& file, JetRowId id) {
  for (int hops = 0; hops < 4; ++hops) {
    const auto page = file.page(id.page);
    if (page[0] != 0x01 || id.row >= little(page, 12, 2)) throw std::runtime_error("no such row");
    const std::uint32_t offset = little(page, 14 + 2 * id.row, 2);
    const std::size_t start = offset & 0x1FFF;
    const std::size_t end = id.row == 0 ? kPage : little(page, 14 + 2 * (id.row - 1), 2) & 0x1FFF;
    if ((offset & 0x8000) != 0) throw std::runtime_error("a deleted row");
    if ((offset & 0x4000) == 0) return page.subspan(start, end - start);
    id = {little(page, start + 1, 3), page[start]};
  }
  throw std::runtime_error("a row moved too often");
}

std::u16string textValue(std::span<const std::uint8_t> bytes) {
  std::u16string text;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    bool compressed = true;
    for (std::size_t i = 2; i < bytes.size();) {
      if (bytes[i] == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        text += static_cast<char16_t>(bytes[i++]);
      } else if (i + 1 < bytes.size()) {
        text += static_cast<char16_t>(loadU16(&bytes[i]));
        i += 2;
      } else {
        break;
      }
    }
    return text;
  }
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(loadU16(&bytes[i]));
  }
  return text;
}

// The bytes of a fixed-size number column that must hold `width` bytes.
const std::uint8_t* numberBytes(std::span<const std::uint8_t> bytes, std::size_t width) {
  if (bytes.size() < width) throw std::runtime_error("a number column too short");
  return bytes.data();
}

// The key kind of an Access column type, if a key may hold it.
std::optional<JetKeyKind> keyKind(std::uint8_t type) {
  static const std::map<std::uint8_t, JetKeyKind> kKinds = {
      {0x01, JetKeyKind::YesNo},  {0x02, JetKeyKind::Byte},     {0x03, JetKeyKind::Integer},
      {0x04, JetKeyKind::Long},   {0x05, JetKeyKind::Currency}, {0x06, JetKeyKind::Single},
      {0x07, JetKeyKind::Double}, {0x08, JetKeyKind::DateTime}, {0x0A, JetKeyKind::Text},
      {0x0F, JetKeyKind::Guid}};
  const auto found = kKinds.find(type);
  if (found == kKinds.end()) return std::nullopt;
  return found->second;
}

// A column's bytes on a row: fixed columns at their offset, variable ones (even the
// odd number column of a system table) through the row's table of offsets.
std::optional<std::span<const std::uint8_t>> columnBytes(std::span<const std::uint8_t> row,
                                                         const Column& column,
                                                         std::size_t maskStart) {
  if (column.fixed) return row.subspan(2 + column.fixedOffset, column.length);
  const std::size_t varCount = little(row, maskStart - 2, 2);
  if (column.varIndex >= varCount) return std::nullopt;
  const auto entry = [&](std::size_t j) { return little(row, maskStart - 4 - 2 * j, 2); };
  const std::size_t start = entry(column.varIndex);
  return row.subspan(start, entry(column.varIndex + 1) - start);
}

JetKeyValue columnValue(std::span<const std::uint8_t> row, const Column& column) {
  const std::size_t columnCount = little(row, 0, 2);
  const std::size_t maskStart = row.size() - (columnCount + 7) / 8;
  const bool present = column.number < columnCount &&
                       (row[maskStart + column.number / 8] & (1 << (column.number % 8))) != 0;
  if (column.type == 0x01) return present;
  if (!present) return std::monostate{};
  const auto found = columnBytes(row, column, maskStart);
  if (!found) return std::monostate{};
  const std::span<const std::uint8_t> bytes = *found;
  switch (column.type) {
    case 0x02:
      return std::int64_t{bytes[0]};
    case 0x03:
      return std::int64_t{loadI16(numberBytes(bytes, 2))};
    case 0x04:
      return std::int64_t{loadI32(numberBytes(bytes, 4))};
    case 0x05:
      return loadI64(numberBytes(bytes, 8));
    case 0x06:
      return loadF32(numberBytes(bytes, 4));
    case 0x07:
    case 0x08:
      return loadF64(numberBytes(bytes, 8));
    case 0x0A:
      return textValue(bytes);
    case 0x0F: {
      JetGuid guid;
      std::copy_n(bytes.begin(), 16, guid.stored.begin());
      return guid;
    }
  }
  throw std::runtime_error("an unexpected key column type");
}

std::string kindName(JetKeyKind kind) {
  const char* const names[] = {"Byte",   "Integer",  "Long",  "Currency", "Single",
                               "Double", "DateTime", "YesNo", "Guid",     "Text"};
  return names[static_cast<int>(kind)];
}

struct Tally {
  std::size_t indexes = 0;
  std::size_t keys = 0;
  std::size_t textKeys = 0;
  std::set<std::string> kinds;     // of the key columns of compared entries
  std::size_t samePages = 0;       // the same up to the end of the entries
  std::size_t identicalPages = 0;  // and after them too
};

void compareIndex(const AccessFile& file, std::uint32_t definitionPage,
                  const TableDefinition& table, const RealIndex& index, Tally& tally) {
  JetIndexShape shape{
      "table@" + std::to_string(definitionPage), "index@" + std::to_string(index.firstPage), {}};
  std::vector<const Column*> columns;
  for (const auto& [number, ascending] : index.columns) {
    const auto column = std::find_if(table.columns.begin(), table.columns.end(),
                                     [&](const Column& c) { return c.number == number; });
    ASSERT_NE(column, table.columns.end());
    const auto kind = keyKind(column->type);
    if (!kind) return;  // a column kind keys are not written for
    shape.columns.push_back({column->name, *kind, ascending, column->sortOrder});
    columns.push_back(&*column);
  }
  const JetIndexReader reader(file.source(), index.firstPage);
  EXPECT_EQ(reader.faults(), std::vector<std::string>{});
  const std::vector<JetIndexEntry> written = reader.walk();
  std::vector<JetIndexEntry> ours;
  for (const JetIndexEntry& entry : written) {
    const auto row = rowBytes(file, entry.row);
    std::vector<JetKeyValue> values;
    for (const Column* column : columns) values.push_back(columnValue(row, *column));
    ours.push_back({encodeIndexKey(shape, values), entry.row});
    EXPECT_EQ(spacedHex(ours.back().key), spacedHex(entry.key))
        << shape.index << " row " << entry.row.page << ":" << int{entry.row.row};
    ++tally.keys;
    for (const JetKeyColumn& column : shape.columns) tally.kinds.insert(kindName(column.kind));
    for (const JetKeyValue& value : values) {
      if (std::holds_alternative<std::u16string>(value)) ++tally.textKeys;
    }
  }
  std::sort(ours.begin(), ours.end(), indexEntryLess);
  std::uint32_t spare = 0x7FFFFF00;
  bool rootGiven = false;
  const JetBuiltIndex built = buildIndexPages(ours, definitionPage, [&] {
    if (rootGiven) return spare++;
    rootGiven = true;
    return index.firstPage;
  });
  ++tally.indexes;
  // Access leaves bytes of earlier entries after the last one; everything before that,
  // header, bitmap and entries, must be the same.
  if (built.pages.size() == 1) {
    const auto accessPage = file.page(index.firstPage);
    const std::vector<std::uint8_t>& page = built.pages[0].bytes;
    const std::size_t used = kIndexEntriesStart + kIndexEntriesSpace - little(accessPage, 2, 2);
    const auto differ = std::mismatch(page.begin(), page.begin() + used, accessPage.begin());
    if (differ.first != page.begin() + used) {
      ADD_FAILURE() << shape.index << ": the rebuilt page differs from Access's at byte "
                    << differ.first - page.begin() << ": ours " << int{*differ.first}
                    << ", Access's " << int{*differ.second};
    } else {
      ++tally.samePages;
    }
    if (std::equal(page.begin(), page.end(), accessPage.begin())) ++tally.identicalPages;
  }
}

Tally compareFile(const std::string& name) {
  const AccessFile file(name);
  std::set<std::uint32_t> definitions;
  for (std::uint32_t number = 1; number < file.pageCount(); ++number) {
    const auto page = file.page(number);
    if (page[0] != 0x04 && page[0] != 0x03) continue;
    // Index pages left behind by a deleted table name a page that is no longer a
    // table definition.
    const std::uint32_t definition = little(page, 4, 4);
    if (definition < file.pageCount() && file.page(definition)[0] == 0x02) {
      definitions.insert(definition);
    }
  }
  Tally tally;
  for (const std::uint32_t definition : definitions) {
    const TableDefinition table = readDefinition(file, definition);
    for (const RealIndex& index : table.indexes) {
      SCOPED_TRACE(name + " table definition page " + std::to_string(definition));
      compareIndex(file, definition, table, index, tally);
    }
  }
  return tally;
}

TEST(JetIndexAccessMadeTest, OurKeysAndPagesAreThoseAccessWrote) {
  const struct {
    const char* file;
    std::size_t minimumKeys;
  } files[] = {
      {"V2000_test.mdb", 100},
      {"password_V2000_no-password.mdb", 150},
      {"password_V2000_with-password.mdb", 150},
      {"password_V2003_with-password.mdb", 200},
  };
  Tally total;
  for (const auto& f : files) {
    SCOPED_TRACE(f.file);
    const Tally tally = compareFile(f.file);
    EXPECT_GE(tally.keys, f.minimumKeys);
    total.indexes += tally.indexes;
    total.keys += tally.keys;
    total.textKeys += tally.textKeys;
    total.identicalPages += tally.identicalPages;
    total.samePages += tally.samePages;
    total.kinds.insert(tally.kinds.begin(), tally.kinds.end());
  }
  // The comparison covered real text keys and many whole pages, not just empty ones.
  EXPECT_GE(total.textKeys, 100u);
  EXPECT_EQ(total.samePages, total.indexes);
  EXPECT_GE(total.identicalPages, 40u);
  std::cout << total.indexes << " indexes, " << total.keys << " keys (" << total.textKeys
            << " text values); " << total.samePages << " rebuilt pages the same as Access's, "
            << total.identicalPages << " of them byte for byte; key kinds:";
  for (const std::string& kind : total.kinds) std::cout << ' ' << kind;
  std::cout << '\n';
}

}  // namespace
}  // namespace tiermend::data::jet
