// A table definition as its pages hold it, read once: the pages it is kept on, the
// columns (kind, number, where a row keeps the value, size, flags, precision and scale,
// the sort order of text), the real indexes (the stored key columns with their order,
// flags and first page, and where in the definition their first page and entry count
// are kept) and the logical indexes that name them. Every count, number, offset and
// size is checked against the definition's bytes and against each other before the
// definition is used; a definition that does not add up is refused with what is wrong,
// never read as something it does not hold. JetDefinitionWriter changes it in place.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/pages/JetPageStore.h"
#include "data/providers/jet/values/JetTextCodec.h"

namespace tiermend::data::jet {

struct JetColumnDefinition {
  std::string name;
  int kind = 0;         // JetKind, or a kind this reader does not know
  int number = 0;       // the column's bit in the null mask (deleted columns counted)
  int varIndex = 0;     // variable columns: the entry in the row's offset table
  int fixedOffset = 0;  // fixed columns: where the value starts after the column count
  int size = 0;         // the defined size in bytes
  std::uint8_t flags = 0;
  bool compressed = false;  // Jet 4 text: Unicode compression on
  int precision = 0;        // Decimal columns
  int scale = 0;
  // Jet 4 text columns: the sort order the entry declares, a locale id and a version.
  std::uint16_t sortLocale = 0;
  std::uint8_t sortVersion = 0;

  bool fixed() const { return (flags & kColumnFixed) != 0; }
  bool autoNumber() const { return (flags & kColumnAutoLong) != 0; }
  bool autoGuid() const { return (flags & kColumnAutoGuid) != 0; }
};

struct JetIndexColumn {
  int number = 0;  // the column number (JetColumnDefinition::number)
  JetIndexOrder order = JetIndexOrder::Ascending;
  std::uint8_t orderFlag = kIndexColumnAscending;  // the byte the order was read from

  bool ascending() const { return order == JetIndexOrder::Ascending; }
};

// An index as it is stored: its key columns and its pages.
struct JetRealIndex {
  std::vector<JetIndexColumn> columns;
  std::uint32_t usageMap = 0;   // row pointer of the map of its pages
  std::uint32_t firstPage = 0;  // the root page
  std::uint8_t flags = 0;       // kIndexUnique, ...
  // Offsets into the definition's bytes of the first-page field and (Jet 4 only: Jet 3
  // indexes are never rewritten, 0 there) of the entry-count field.
  std::size_t firstPageAt = 0;
  std::size_t entryCountAt = 0;
};

// An index as the user sees it (several may share one real index).
struct JetLogicalIndex {
  std::string name;
  int number = 0;
  int realIndex = 0;      // the entry of realIndexes that holds its keys
  std::uint8_t type = 0;  // kIndexPrimaryKey, kIndexForeignKey or 0
};

struct JetTableDefinition {
  std::uint32_t page = 0;                 // the first definition page
  std::vector<std::uint32_t> laterPages;  // the pages it continues on, in chain order
  std::uint32_t rowCount = 0;
  std::uint32_t autoNumber = 0;  // the last auto-number given out
  std::uint8_t tableType = 0;    // kUserTable or kSystemTable
  int rowColumnCount = 0;        // the column count rows are written with
  int varColumnCount = 0;
  int fixedSize = 0;  // bytes of the fixed area the columns use
  std::uint32_t ownedMap = 0;
  std::uint32_t freeMap = 0;
  std::vector<JetColumnDefinition> columns;  // in column-number order
  std::size_t realIndexesAt = 0;             // where the real-index entries start in its bytes
  std::vector<JetRealIndex> realIndexes;
  std::vector<JetLogicalIndex> indexes;
};

// A definition that does not add up: what is wrong, in words that follow "is damaged: ".
class JetDefinitionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A definition's bytes are read as one run from its chain of pages: the first page
// whole, each later page after its header. Page `chainIndex` of the chain (0 the first)
// gives the run its bytes from this offset to its end; the reader assembles the run
// and the writer finds where a byte of it lies by this one rule.
inline std::size_t definitionBytesFrom(std::size_t chainIndex) {
  return chainIndex == 0 ? 0 : kDefinitionContinuationHeader;
}

// A definition's bytes as one run, and the pages after the first that hold them.
struct JetDefinitionRun {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint32_t> laterPages;  // in chain order
};

// Assembles the run of the definition whose first page is first. Throws
// JetDefinitionError for a chain that leaves the file, loops or meets a page of another
// type.
JetDefinitionRun readDefinitionRun(const JetPageStore& pages, const JetFormat& format,
                                   std::uint32_t first);

// Reads, parses and checks the definition whose first page is first; names are read
// through text. Throws
// JetDefinitionError for a chain that leaves the file, loops or meets a page of another
// type, and for bytes that do not add up.
JetTableDefinition readTableDefinition(const JetPageStore& pages, const JetFormat& format,
                                       std::uint32_t first, const JetTextCodec& text);

}  // namespace tiermend::data::jet
