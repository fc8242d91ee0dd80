// What rebuilding the indexes of one Jet 4 table takes, from its definition: for each
// stored index its key columns (kind, order, text sort order) and whether it is unique,
// refuses nulls or leaves all-null keys out. Every index the key encoder cannot handle
// is refused here, naming the table and the index, before anything changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/providers/jet/indexes/JetIndexKey.h"
#include "data/providers/jet/tables/JetTableDefinition.h"

namespace tiermend::data::jet {

struct JetIndexPlan {
  int realIndex = 0;             // its entry in the definition's stored indexes
  JetIndexShape shape;           // the table, the index's name, its key columns
  std::vector<int> columnOrder;  // for each key column, its position in column-number order
  bool unique = false;
  bool refusesNulls = false;  // a primary key or an index that requires values
  bool ignoresNulls = false;  // rows whose key columns are all null are left out
  std::uint32_t usageMap = 0;
  std::uint32_t firstPage = 0;  // the root page: the definition's, then the one written
};

// The plans of every stored index of the table, in the definition's order. The
// definition has passed checkIndexDefinitions. Throws JetIndexRefusal for an index whose keys
// cannot be encoded (a column kind no key holds, a sort order other than General legacy, too many
// columns).
std::vector<JetIndexPlan> planIndexes(const std::string& table,
                                      const JetTableDefinition& definition);

}  // namespace tiermend::data::jet
