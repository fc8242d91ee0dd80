// Reading and checking a table definition from its chain of pages.
#include "data/providers/jet/tables/JetTableDefinition.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "data/providers/jet/values/JetKinds.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void damaged(const std::string& what) {
  throw JetDefinitionError(what);
}

std::string columnText(const JetColumnDefinition& column) {
  return "its column '" + column.name + "'";
}

// Reads the definition's bytes front to back, never past their end.
class DefinitionReader {
 public:
  explicit DefinitionReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::size_t at() const { return at_; }
  void moveTo(std::uint64_t at) {
    if (at > bytes_.size()) cutShort();
    at_ = static_cast<std::size_t>(at);
  }
  const std::uint8_t* take(std::uint64_t size) {
    if (size > bytes_.size() - at_) cutShort();
    const std::uint8_t* start = bytes_.data() + at_;
    at_ += static_cast<std::size_t>(size);
    return start;
  }
  std::size_t nameLength(std::size_t lengthSize) {
    const std::uint8_t* length = take(lengthSize);
    return lengthSize == 1 ? length[0] : loadU16(length);
  }

 private:
  [[noreturn]] void cutShort() const {
    damaged("its definition holds less than its counts and names call for");
  }

  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_ = 0;
};

std::string readName(DefinitionReader& reader, const JetFormat& format, const JetTextCodec& text) {
  const std::size_t length = reader.nameLength(format.columnNameLengthSize);
  if (length == 0) damaged("its definition holds a name of no characters");
  const std::uint8_t* bytes = reader.take(length);
  return text.decodeName(bytes, length);
}

JetColumnDefinition readColumnEntry(const std::uint8_t* entry, const JetFormat& format) {
  JetColumnDefinition column;
  column.kind = entry[format.columnKindOffset];
  column.number = loadU16(entry + format.columnNumberOffset);
  column.varIndex = loadU16(entry + format.columnVarIndexOffset);
  column.fixedOffset = loadU16(entry + format.columnFixedOffsetOffset);
  column.size = loadU16(entry + format.columnSizeOffset);
  column.flags = entry[format.columnFlagsOffset];
  column.compressed =
      !format.jet3 && (entry[kJet4ColumnMoreFlagsOffset] & kColumnCompressedUnicode) != 0;
  if (column.kind == kJetDecimal) {
    column.precision = entry[format.columnPrecisionOffset];
    column.scale = entry[format.columnScaleOffset];
  }
  if (column.kind == kJetText && !format.jet3) {
    column.sortLocale = loadU16(entry + kJet4ColumnSortOrderOffset);
    column.sortVersion = entry[kJet4ColumnSortVersionOffset];
  }
  return column;
}

void checkKindAndSize(const JetColumnDefinition& column, const JetFormat& format) {
  const JetKindFacts& kind = jetKind(column.kind);
  const int width = kind.fixedWidth;
  if (width > 0) {
    // Access keeps Decimal values in the variable area; the value's size is still fixed.
    if (column.size != width) {
      damaged(columnText(column) + " is " + std::to_string(column.size) +
              " bytes long, which its kind cannot be");
    }
    return;
  }
  if (kind.longValue && column.fixed())
    damaged(columnText(column) + " holds a long value as fixed");
  if (kind.sized) {
    if (column.size > format.mostTextBytes) {
      damaged(columnText(column) + " is " + std::to_string(column.size) +
              " bytes long, more than its kind holds");
    }
    if (column.fixed() && column.size == 0) damaged(columnText(column) + " has no size");
  }
  // Yes/No, and kinds read as their bytes, have nothing to check.
}

// Column numbers distinct and inside the row; variable entries distinct; fixed values
// inside the row and none overlapping another.
void checkColumns(JetTableDefinition& table, const JetFormat& format) {
  std::unordered_set<int> numbers;
  std::unordered_set<int> varIndexes;
  std::vector<std::pair<int, int>> fixedSpans;  // start, end
  int variableColumns = 0;
  for (const JetColumnDefinition& column : table.columns) {
    if (column.number >= table.rowColumnCount) {
      damaged(columnText(column) + " has number " + std::to_string(column.number) +
              ", outside the " + std::to_string(table.rowColumnCount) + " columns of its rows");
    }
    if (!numbers.insert(column.number).second) {
      damaged(columnText(column) + " has the number " + std::to_string(column.number) +
              " of another column");
    }
    checkKindAndSize(column, format);
    if (!column.fixed()) {
      ++variableColumns;
      if (column.varIndex >= table.rowColumnCount || !varIndexes.insert(column.varIndex).second) {
        damaged(columnText(column) + " has a variable entry outside its rows or of another column");
      }
      continue;
    }
    if (column.kind == kJetBoolean) continue;
    const int kindWidth = jetKind(column.kind).fixedWidth;
    const int width = kindWidth > 0 ? kindWidth : column.size;
    const int end = column.fixedOffset + width;
    if (static_cast<std::size_t>(end) > format.mostRowBytes()) {
      damaged(columnText(column) + " lies outside the row");
    }
    fixedSpans.emplace_back(column.fixedOffset, end);
    table.fixedSize = std::max(table.fixedSize, end);
  }
  // The count is of every variable column the table has had: Access leaves it as it
  // was when a column is deleted, so it may be more than the columns listed, never less.
  if (variableColumns > table.varColumnCount) {
    damaged("its definition counts " + std::to_string(table.varColumnCount) +
            " variable columns but lists " + std::to_string(variableColumns));
  }
  std::sort(fixedSpans.begin(), fixedSpans.end());
  for (std::size_t i = 1; i < fixedSpans.size(); ++i) {
    if (fixedSpans[i].first < fixedSpans[i - 1].second) {
      damaged("its fixed-size columns overlap");
    }
  }
}

// Real index `number`, whose entry starts at entryAt in the definition's bytes.
JetRealIndex readRealIndex(const std::vector<std::uint8_t>& bytes, std::size_t entryAt,
                           std::size_t number, const JetFormat& format,
                           const std::set<int>& columnNumbers) {
  const std::uint8_t* entry = bytes.data() + entryAt;
  JetRealIndex index;
  for (int slot = 0; slot < kIndexColumnSlots; ++slot) {
    const std::uint8_t* at = entry + format.realIndexColumnsOffset +
                             kIndexColumnSlotSize * static_cast<std::size_t>(slot);
    const std::uint16_t number = loadU16(at);
    if (number == kNoIndexColumn) continue;
    if (columnNumbers.count(number) == 0) {
      damaged("an index names column number " + std::to_string(number) +
              ", which the table does not have");
    }
    const std::uint8_t flag = at[kIndexColumnOrderOffset];
    index.columns.push_back({number, indexColumnOrder(flag), flag});
  }
  if (index.columns.empty()) damaged("an index names no column");
  index.usageMap = loadU32(entry + format.realIndexUsageMapOffset);
  index.firstPageAt = entryAt + format.realIndexFirstPageOffset;
  index.firstPage = loadU32(bytes.data() + index.firstPageAt);
  index.flags = entry[format.realIndexFlagsOffset];
  if (!format.jet3) {
    index.entryCountAt = format.realIndexCountsStart + number * format.realIndexCountEntrySize +
                         kJet4RealIndexEntryCountOffset;
  }
  return index;
}

void readIndexes(DefinitionReader& reader, JetTableDefinition& table, const JetFormat& format,
                 std::uint32_t realCount, std::uint32_t logicalCount, const JetTextCodec& text) {
  std::set<int> columnNumbers;
  for (const auto& column : table.columns) columnNumbers.insert(column.number);
  table.realIndexesAt = reader.at();
  reader.take(std::uint64_t{realCount} * format.realIndexEntrySize);
  for (std::uint32_t i = 0; i < realCount; ++i) {
    table.realIndexes.push_back(readRealIndex(reader.bytes(),
                                              table.realIndexesAt + i * format.realIndexEntrySize,
                                              i, format, columnNumbers));
  }
  const std::uint8_t* logical = reader.take(std::uint64_t{logicalCount} * format.indexEntrySize);
  for (std::uint32_t i = 0; i < logicalCount; ++i) {
    const std::uint8_t* entry = logical + std::size_t{i} * format.indexEntrySize;
    JetLogicalIndex index;
    index.number = static_cast<int>(loadU32(entry + format.indexNumberOffset));
    const std::uint32_t realIndex = loadU32(entry + format.indexRealIndexOffset);
    if (realIndex >= realCount) {
      damaged("an index refers to stored index " + std::to_string(realIndex) + " of " +
              std::to_string(realCount));
    }
    index.realIndex = static_cast<int>(realIndex);
    index.type = entry[format.indexTypeOffset];
    table.indexes.push_back(std::move(index));
  }
  for (auto& index : table.indexes) index.name = readName(reader, format, text);
}

}  // namespace

JetDefinitionRun readDefinitionRun(const JetPageStore& pages, const JetFormat& format,
                                   std::uint32_t first) {
  JetDefinitionRun run;
  std::unordered_set<std::uint32_t> seen;
  Page page;
  for (std::uint32_t next = first; next != 0;) {
    if (next >= pages.pageCount()) {
      damaged("its definition continues on page " + std::to_string(next) +
              ", beyond the end of the file");
    }
    if (!seen.insert(next).second) damaged("its definition pages form a loop");
    pages.read(next, page);
    if (page[0] != static_cast<std::uint8_t>(JetPageType::TableDefinition)) {
      damaged("page " + std::to_string(next) + " holds no table definition");
    }
    const std::size_t chainIndex = seen.size() - 1;
    if (chainIndex > 0) run.laterPages.push_back(next);
    const std::size_t from = definitionBytesFrom(chainIndex);
    run.bytes.insert(run.bytes.end(), page.begin() + static_cast<long>(from), page.end());
    next = loadU32(page.data() + format.definitionNextPageOffset);
  }
  return run;
}

namespace {

JetTableDefinition parseTableDefinition(const std::vector<std::uint8_t>& bytes,
                                        const JetFormat& format, const JetTextCodec& text) {
  DefinitionReader reader(bytes);
  reader.take(format.realIndexCountsStart);  // the fixed part must be whole
  const std::uint8_t* b = bytes.data();
  JetTableDefinition table;
  table.rowCount = loadU32(b + format.rowCountOffset);
  table.autoNumber = loadU32(b + format.autoNumberOffset);
  table.tableType = b[format.tableTypeOffset];
  table.rowColumnCount = loadU16(b + format.rowColumnCountOffset);
  table.varColumnCount = loadU16(b + format.varColumnCountOffset);
  const int columnCount = loadU16(b + format.columnCountOffset);
  const std::uint32_t indexCount = loadU32(b + format.indexCountOffset);
  const std::uint32_t realIndexCount = loadU32(b + format.realIndexCountOffset);
  table.ownedMap = loadU32(b + format.ownedMapOffset);
  table.freeMap = loadU32(b + format.freeMapOffset);
  if (columnCount == 0) damaged("its definition lists no columns");
  if (table.rowColumnCount < columnCount || table.rowColumnCount > kMostRowColumns) {
    damaged("its definition counts " + std::to_string(columnCount) + " columns but rows of " +
            std::to_string(table.rowColumnCount));
  }

  reader.take(std::uint64_t{realIndexCount} * format.realIndexCountEntrySize);
  const std::uint8_t* entries =
      reader.take(static_cast<std::uint64_t>(columnCount) * format.columnEntrySize);
  for (int i = 0; i < columnCount; ++i) {
    table.columns.push_back(
        readColumnEntry(entries + static_cast<std::size_t>(i) * format.columnEntrySize, format));
  }
  for (auto& column : table.columns) column.name = readName(reader, format, text);
  checkColumns(table, format);
  readIndexes(reader, table, format, realIndexCount, indexCount, text);
  std::stable_sort(table.columns.begin(), table.columns.end(),
                   [](const auto& a, const auto& b) { return a.number < b.number; });
  return table;
}

}  // namespace

JetTableDefinition readTableDefinition(const JetPageStore& pages, const JetFormat& format,
                                       std::uint32_t first, const JetTextCodec& text) {
  JetDefinitionRun run = readDefinitionRun(pages, format, first);
  JetTableDefinition table = parseTableDefinition(run.bytes, format, text);
  table.page = first;
  table.laterPages = std::move(run.laterPages);
  return table;
}

}  // namespace tiermend::data::jet
