// A table definition as its pages hold it: the columns (kind, number, where a row keeps
// the value, size, flags, precision and scale), the real indexes (the stored key
// columns with their order, flags and first page) and the logical indexes that name
// them. Every count, number, offset and size is checked against the definition's bytes
// and against each other before the definition is used; a definition that does not add
// up is refused with what is wrong, never read as something it does not hold.
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

  bool fixed() const { return (flags & kColumnFixed) != 0; }
  bool autoNumber() const { return (flags & kColumnAutoLong) != 0; }
  bool autoGuid() const { return (flags & kColumnAutoGuid) != 0; }
};

struct JetIndexColumn {
  int number = 0;  // the column number (JetColumnDefinition::number)
  bool ascending = true;
};

// An index as it is stored: its key columns and its pages.
struct JetRealIndex {
  std::vector<JetIndexColumn> columns;
  std::uint32_t usageMap = 0;   // row pointer of the map of its pages
  std::uint32_t firstPage = 0;  // the root page
  std::uint8_t flags = 0;       // kIndexUnique, ...
};

// An index as the user sees it (several may share one real index).
struct JetLogicalIndex {
  std::string name;
  int number = 0;
  int realIndex = 0;      // the entry of realIndexes that holds its keys
  std::uint8_t type = 0;  // kIndexPrimaryKey, kIndexForeignKey or 0
};

struct JetTableDefinition {
  std::uint32_t page = 0;  // the first definition page
  std::uint32_t rowCount = 0;
  std::uint32_t autoNumber = 0;  // the last auto-number given out
  std::uint8_t tableType = 0;    // kUserTable or kSystemTable
  int rowColumnCount = 0;        // the column count rows are written with
  int varColumnCount = 0;
  int fixedSize = 0;  // bytes of the fixed area the columns use
  std::uint32_t ownedMap = 0;
  std::uint32_t freeMap = 0;
  std::vector<JetColumnDefinition> columns;  // in column-number order
  std::vector<JetRealIndex> realIndexes;
  std::vector<JetLogicalIndex> indexes;
};

// A definition that does not add up: what is wrong, in words that follow "is damaged: ".
class JetDefinitionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The definition's bytes: its first page whole, then each later page after its header.
// Throws JetDefinitionError for a chain that leaves the file, loops or meets a page of
// another type.
std::vector<std::uint8_t> readDefinitionBytes(const JetPageStore& pages, const JetFormat& format,
                                              std::uint32_t first);

// Parses and checks the definition's bytes; names are read through text. Throws
// JetDefinitionError.
JetTableDefinition parseTableDefinition(const std::vector<std::uint8_t>& bytes,
                                        const JetFormat& format, const JetTextCodec& text);

}  // namespace tiermend::data::jet
