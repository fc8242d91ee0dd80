// Adding indexes to a table of a Jet 4 test copy, the way Access stores them.
#include "JetIndexedTables.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/indexes/JetIndexReader.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/read/JetDatabase.h"
#include "data/providers/jet/tables/JetNames.h"
#include "tests/support/FileBytes.h"

namespace tiermend::testing {

namespace {

// The Jet engine's own names, for the definitions and index pages written here.
using namespace data::jet;

using ByteVector = FileBytes;

// A number the bytes must hold whole: a definition read wrongly fails here, not later.
void requireRange(const ByteVector& bytes, std::size_t at, std::size_t width) {
  if (at + width > bytes.size()) throw std::out_of_range("a number beyond the definition's end");
}

std::uint32_t littleAt(const ByteVector& bytes, std::size_t at, std::size_t width) {
  requireRange(bytes, at, width);
  return static_cast<std::uint32_t>(loadLittle(bytes.data() + at, width));
}

void putLittle(ByteVector& bytes, std::size_t at, std::uint32_t value, std::size_t width) {
  requireRange(bytes, at, width);
  storeLittle(bytes.data() + at, width, value);
}

void appendLittle(ByteVector& bytes, std::uint32_t value, std::size_t width) {
  bytes.resize(bytes.size() + width);
  putLittle(bytes, bytes.size() - width, value, width);
}

void appendName(ByteVector& bytes, const std::string& ascii) {
  appendLittle(bytes, static_cast<std::uint32_t>(ascii.size() * 2), 2);
  for (char c : ascii) appendLittle(bytes, static_cast<unsigned char>(c), 2);
}

// A usage map of one page, inline: start page, bit 0 set. 128 bytes of bitmap, as
// Access gives a small index.
ByteVector inlineMapRow(std::uint32_t page) {
  ByteVector row{kUsageMapInline};
  appendLittle(row, page, 4);
  row.resize(kInlineMapBitmapStart + 128, 0);
  row[kInlineMapBitmapStart] = 0x01;
  return row;
}

}  // namespace

void addIndexes(const std::string& path, const std::string& table,
                const std::vector<TestIndex>& indexes) {
  std::uint32_t definitionPage = 0;
  std::uint32_t mapPointer = 0;
  std::vector<JetColumnDefinition> columns;
  {
    auto database = JetDatabase::open(path, "");
    if (database->header.jet3) throw std::runtime_error("addIndexes writes Jet 4 definitions");
    const auto found = database->openTable(table);
    definitionPage = found->definition.page;
    mapPointer = found->definition.ownedMap;
    columns = found->definition.columns;
  }
  const JetFormat& format = kJet4Format;
  const std::size_t pageSize = format.pageSize;
  ByteVector file = fileBytes(path);
  auto pageAt = [&](std::uint32_t number) {
    return file.begin() + static_cast<long>(number * pageSize);
  };
  ByteVector tdef(pageAt(definitionPage), pageAt(definitionPage + 1));
  if (littleAt(tdef, format.definitionNextPageOffset, 4) != 0)
    throw std::runtime_error("definition spans pages");
  const std::size_t columnCount = littleAt(tdef, format.columnCountOffset, 2);
  const std::size_t logical = littleAt(tdef, format.indexCountOffset, 4);
  const std::size_t real = littleAt(tdef, format.realIndexCountOffset, 4);
  const std::size_t length = littleAt(tdef, format.definitionLengthOffset, 4);

  // The parts of the definition, each kept and then extended.
  const std::size_t countsEnd = format.realIndexCountsStart + real * format.realIndexCountEntrySize;
  std::size_t at = countsEnd + columnCount * format.columnEntrySize;
  for (std::size_t i = 0; i < columnCount; ++i) at += 2 + littleAt(tdef, at, 2);
  const std::size_t realEnd = at + real * format.realIndexEntrySize;
  const std::size_t logicalEnd = realEnd + logical * format.indexEntrySize;
  at = logicalEnd;
  for (std::size_t i = 0; i < logical; ++i) at += 2 + littleAt(tdef, at, 2);
  const std::size_t namesEnd = at;

  // The page holding the table's usage maps takes one more map row per index.
  const std::uint32_t mapPage = pageOfPointer(mapPointer);
  Page maps(pageAt(mapPage), pageAt(mapPage + 1));
  JetDataPage mapRows(maps, false);

  ByteVector counts, realEntries, logicalEntries, names;
  for (std::size_t k = 0; k < indexes.size(); ++k) {
    const TestIndex& index = indexes[k];
    // An empty leaf page as the index's first page, at the end of the file.
    JetIndexPage root;
    root.tableDefinitionPage = definitionPage;
    const auto rootBytes = writeIndexPage(root);
    const auto rootNumber = static_cast<std::uint32_t>(file.size() / pageSize);
    file.insert(file.end(), rootBytes.begin(), rootBytes.end());

    const ByteVector map = inlineMapRow(rootNumber);
    if (!mapRows.fits(map.size())) throw std::runtime_error("no room for the index's usage map");
    mapRows.addRow(map.data(), map.size());
    const std::uint32_t map_pointer =
        rowPointer(mapPage, static_cast<std::uint32_t>(mapRows.rowCount() - 1));

    appendLittle(counts, 0, 4);
    appendLittle(counts, 0, 4);
    appendLittle(counts, 0, 4);

    ByteVector entry(format.realIndexEntrySize, 0);
    for (int slot = 0; slot < kIndexColumnSlots; ++slot) {
      const std::size_t slotAt = format.realIndexColumnsOffset + 3 * static_cast<std::size_t>(slot);
      if (static_cast<std::size_t>(slot) >= index.columns.size()) {
        putLittle(entry, slotAt, kNoIndexColumn, 2);
        continue;
      }
      const TestIndexColumn& key = index.columns[static_cast<std::size_t>(slot)];
      int number = -1;
      for (const auto& column : columns) {
        if (sameJetName(column.name, key.column)) number = column.number;
      }
      if (number < 0) throw std::runtime_error("no column " + key.column);
      putLittle(entry, slotAt, static_cast<std::uint32_t>(number), 2);
      entry[slotAt + 2] = key.ascending ? kIndexColumnAscending : kIndexColumnDescending;
    }
    putLittle(entry, format.realIndexUsageMapOffset, map_pointer, 4);
    putLittle(entry, format.realIndexFirstPageOffset, rootNumber, 4);
    entry[format.realIndexFlagsOffset] = static_cast<unsigned char>(
        0x80 | (index.primaryKey || index.unique ? kIndexUnique : 0) |
        (index.primaryKey ? kIndexRequired : 0) | (index.ignoreNulls ? kIndexIgnoreNulls : 0));
    realEntries.insert(realEntries.end(), entry.begin(), entry.end());

    ByteVector named(format.indexEntrySize, 0);
    putLittle(named, format.indexNumberOffset, static_cast<std::uint32_t>(logical + k), 4);
    putLittle(named, format.indexRealIndexOffset, static_cast<std::uint32_t>(real + k), 4);
    putLittle(named, 13, 0xFFFFFFFF, 4);  // no related index
    named[format.indexTypeOffset] = index.primaryKey ? kIndexPrimaryKey : 0;
    logicalEntries.insert(logicalEntries.end(), named.begin(), named.end());
    appendName(names, index.name);
  }

  // Each part of the old definition up to where it ends, then what the indexes add to it.
  const std::pair<std::size_t, const ByteVector*> parts[] = {{countsEnd, &counts},
                                                             {realEnd, &realEntries},
                                                             {logicalEnd, &logicalEntries},
                                                             {namesEnd, &names},
                                                             {length, nullptr}};
  ByteVector out;
  std::size_t kept = 0;
  for (const auto& [end, added] : parts) {
    out.insert(out.end(), tdef.begin() + static_cast<long>(kept),
               tdef.begin() + static_cast<long>(end));
    if (added != nullptr) out.insert(out.end(), added->begin(), added->end());
    kept = end;
  }
  if (out.size() > pageSize) throw std::runtime_error("the definition no longer fits its page");
  putLittle(out, format.definitionLengthOffset, static_cast<std::uint32_t>(out.size()), 4);
  putLittle(out, format.indexCountOffset, static_cast<std::uint32_t>(logical + indexes.size()), 4);
  putLittle(out, format.realIndexCountOffset, static_cast<std::uint32_t>(real + indexes.size()), 4);
  putLittle(out, format.dataFreeSpaceOffset, static_cast<std::uint32_t>(pageSize - out.size() - 8),
            2);
  out.resize(pageSize, 0);
  std::copy(out.begin(), out.end(), pageAt(definitionPage));
  std::copy(maps.begin(), maps.end(), pageAt(mapPage));
  writeBytes(path, file);
}

void setSortOrder(const std::string& path, const std::string& table, const std::string& column,
                  std::uint16_t localeId) {
  std::uint32_t definitionPage = 0;
  std::size_t realCount = 0;
  {
    auto database = JetDatabase::open(path, "");
    const auto found = database->openTable(table);
    definitionPage = found->definition.page;
    realCount = found->definition.realIndexes.size();
  }
  const JetFormat& format = kJet4Format;
  ByteVector file = fileBytes(path);
  const std::size_t start = definitionPage * format.pageSize;
  const std::size_t columnCount = littleAt(file, start + format.columnCountOffset, 2);
  const std::size_t entries =
      start + format.realIndexCountsStart + realCount * format.realIndexCountEntrySize;
  std::size_t nameAt = entries + columnCount * format.columnEntrySize;
  for (std::size_t i = 0; i < columnCount; ++i) {
    const std::size_t length = littleAt(file, nameAt, 2);
    std::string name;
    for (std::size_t c = 0; c < length; c += 2) name += static_cast<char>(file[nameAt + 2 + c]);
    if (sameJetName(name, column)) {
      putLittle(file, entries + i * format.columnEntrySize + kJet4ColumnSortOrderOffset, localeId,
                2);
      writeBytes(path, file);
      return;
    }
    nameAt += 2 + length;
  }
  throw std::runtime_error("no column " + column);
}

IndexReadBack readIndexBack(const std::string& path, const std::string& table,
                            const std::string& index) {
  auto database = JetDatabase::open(path, "");
  const auto found = database->openTable(table);
  const JetTableDefinition& definition = found->definition;
  const JetLogicalIndex* named = nullptr;
  for (const auto& logical : definition.indexes) {
    if (logical.name == index) named = &logical;
  }
  if (named == nullptr) throw std::runtime_error("no index " + index);
  const std::uint32_t root =
      definition.realIndexes.at(static_cast<std::size_t>(named->realIndex)).firstPage;
  auto source = [&database](std::uint32_t number) {
    Page page;
    database->pages->read(number, page);
    return page;
  };
  JetIndexReader reader(source, root);
  IndexReadBack back;
  back.faults = reader.faults();
  if (!back.faults.empty()) return back;
  back.levels = reader.levels();
  std::set<JetRowId> rows;
  for (const JetIndexEntry& entry : reader.walk()) {
    back.keys.emplace_back(entry.key.begin(), entry.key.end());
    const auto found_rows = reader.lookup(entry.key);
    if (std::find(found_rows.begin(), found_rows.end(), entry.row) != found_rows.end())
      ++back.entriesFoundByLookup;
    Page page;
    database->pages->read(entry.row.page, page);
    JetDataPage data(page, false);
    if (data.isDataPageOf(definition.page) && entry.row.row < data.rowCount() &&
        (data.rowEntry(entry.row.row) & kRowDeletedFlag) == 0)
      rows.insert(entry.row);
  }
  back.distinctRows = rows.size();
  return back;
}

}  // namespace tiermend::testing
