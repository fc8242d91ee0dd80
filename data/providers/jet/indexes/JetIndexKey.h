// Index keys of Jet 4 tables: the bytes an index entry holds for a row's key columns,
// so that comparing keys byte by byte (unsigned) sorts rows as the index orders them.
// Each column gives a flag byte (0x7F for a value and 0x00 for null when ascending,
// 0x80 and 0xFF when descending) and then its value's bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/indexes/JetIndexPage.h"
#include "data/providers/jet/indexes/JetSortOrder.h"
#include "data/providers/jet/values/JetKeyValue.h"

namespace tiermend::data::jet {

struct JetKeyColumn {
  std::string name;
  JetKeyKind kind = JetKeyKind::Long;
  bool ascending = true;
  JetSortOrder sortOrder = JetSortOrder::generalLegacy();  // Text columns only
};

// An index as far as its keys go, named for the messages of refused keys.
struct JetIndexShape {
  std::string table;
  std::string index;
  std::vector<JetKeyColumn> columns;
};

// An index holds at most the columns a real-index entry names, and a key at most
// kMaxIndexKeyBytes (JetFormat.h), so that two entries of the largest key always fit one
// index page.
constexpr auto kMaxIndexColumns = static_cast<std::size_t>(kIndexColumnSlots);

// Refuses (JetIndexRefusal) an index whose keys this program cannot encode whatever the
// rows hold: no columns or too many, a text column in a sort order other than General
// legacy, or one in General legacy when `codes`, the order's tables, are not available.
void checkIndexShape(const JetIndexShape& shape,
                     const JetCharCodes& codes = JetCharCodes::generalLegacy());

// The key of one row: one value per column of the shape, in its order. Refuses
// (JetIndexRefusal) a value of the wrong kind or out of its column's range, a text
// the sort order's tables do not cover, and a key longer than kMaxIndexKeyBytes.
JetIndexKeyBytes encodeIndexKey(const JetIndexShape& shape, std::span<const JetKeyValue> values);
// The same into key, whose bytes it replaces: a buffer used again for row after row
// keeps its room, so a key costs no allocation.
void encodeIndexKey(const JetIndexShape& shape, std::span<const JetKeyValue> values,
                    std::vector<std::uint8_t>& key);

}  // namespace tiermend::data::jet
