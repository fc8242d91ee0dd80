// The rebuild plans of a Jet 4 table's indexes, from its definition.
#include "data/providers/jet/indexes/JetIndexPlan.h"

#include <map>
#include <optional>

#include "data/providers/jet/indexes/JetIndexDefinitions.h"
#include "data/providers/jet/indexes/JetIndexRefusal.h"
#include "data/providers/jet/values/JetKinds.h"

namespace tiermend::data::jet {

std::vector<JetIndexPlan> planIndexes(const std::string& table,
                                      const JetTableDefinition& definition) {
  // Column number -> position in the definition's column-number order.
  std::map<int, int> positions;
  for (std::size_t i = 0; i < definition.columns.size(); ++i) {
    positions[definition.columns[i].number] = static_cast<int>(i);
  }

  std::vector<JetIndexPlan> plans;
  for (std::size_t r = 0; r < definition.realIndexes.size(); ++r) {
    const JetRealIndex& real = definition.realIndexes[r];
    JetIndexPlan plan;
    plan.realIndex = static_cast<int>(r);
    plan.shape.table = table;
    plan.shape.index = storedIndexName(definition, plan.realIndex);
    for (const JetIndexColumn& key : real.columns) {
      const int position = positions.at(key.number);
      const JetColumnDefinition& column = definition.columns[static_cast<std::size_t>(position)];
      const std::optional<JetKeyKind> kind = jetKind(column.kind).keyKind;
      if (!kind) {
        throw JetIndexRefusal(table, plan.shape.index,
                              "holds the column '" + column.name +
                                  "', of a kind this program cannot write index keys for");
      }
      JetKeyColumn keyColumn{column.name, *kind, key.ascending(), JetSortOrder::generalLegacy()};
      if (*kind == JetKeyKind::Text) keyColumn.sortOrder = {column.sortLocale, column.sortVersion};
      plan.shape.columns.push_back(std::move(keyColumn));
      plan.columnOrder.push_back(position);
    }
    checkIndexShape(plan.shape);
    // A primary key is unique and keeps nulls out whatever its stored flags say, as in
    // Access (checkIndexDefinitions refuses a primary key whose flags disagree).
    const bool primaryKey = isPrimaryKeyIndex(definition, plan.realIndex);
    plan.unique = primaryKey || (real.flags & kIndexUnique) != 0;
    plan.refusesNulls = primaryKey || (real.flags & kIndexRequired) != 0;
    plan.ignoresNulls = (real.flags & kIndexIgnoreNulls) != 0;
    plan.usageMap = real.usageMap;
    plan.firstPage = real.firstPage;
    plans.push_back(std::move(plan));
  }
  return plans;
}

}  // namespace tiermend::data::jet
