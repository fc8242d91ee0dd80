// Reading the index part of a Jet 4 table definition into rebuild plans.
#include "data/providers/jet/indexes/JetIndexPlan.h"

#include <map>
#include <optional>

#include "data/providers/jet/indexes/JetIndexRefusal.h"
#include "data/providers/jet/values/JetKinds.h"

namespace tiermend::data::jet {

namespace {

std::size_t checkedU16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  if (at + 2 > bytes.size()) {
    throw JetDefinitionError("its definition holds less than its counts and names call for");
  }
  return loadU16(bytes.data() + at);
}

// Where the definition's column entries, stored-index entries and index names start.
struct DefinitionParts {
  std::size_t columns = 0;
  std::size_t realIndexes = 0;
};

DefinitionParts partsOf(const JetTableDefinition& definition,
                        const std::vector<std::uint8_t>& bytes, const JetFormat& format) {
  DefinitionParts parts;
  const std::size_t realCount = definition.realIndexes.size();
  parts.columns = format.realIndexCountsStart + realCount * format.realIndexCountEntrySize;
  std::size_t at = parts.columns + definition.columns.size() * format.columnEntrySize;
  for (std::size_t i = 0; i < definition.columns.size(); ++i) {
    at += format.columnNameLengthSize + checkedU16(bytes, at);
  }
  parts.realIndexes = at;
  if (at + realCount * format.realIndexEntrySize > bytes.size()) {
    throw JetDefinitionError("its definition holds less than its counts and names call for");
  }
  return parts;
}

// The logical indexes' names for each stored index: the primary key's name first.
std::string indexName(const JetTableDefinition& definition, int realIndex) {
  std::string name;
  for (const JetLogicalIndex& index : definition.indexes) {
    if (index.realIndex != realIndex) continue;
    if (index.type == kIndexPrimaryKey || name.empty()) name = index.name;
  }
  if (name.empty()) name = "stored index " + std::to_string(realIndex + 1);
  return name;
}

bool isPrimaryKey(const JetTableDefinition& definition, int realIndex) {
  for (const JetLogicalIndex& index : definition.indexes) {
    if (index.realIndex == realIndex && index.type == kIndexPrimaryKey) return true;
  }
  return false;
}

}  // namespace

std::vector<JetIndexPlan> planIndexes(const std::string& table,
                                      const JetTableDefinition& definition,
                                      const std::vector<std::uint8_t>& definitionBytes,
                                      const JetFormat& format) {
  const DefinitionParts parts = partsOf(definition, definitionBytes, format);
  // Column number -> position in the definition's column-number order, and the text
  // sort order its column entry declares.
  std::map<int, int> positions;
  std::map<int, JetSortOrder> sortOrders;
  for (std::size_t i = 0; i < definition.columns.size(); ++i) {
    positions[definition.columns[i].number] = static_cast<int>(i);
  }
  for (std::size_t i = 0; i < definition.columns.size(); ++i) {
    const std::uint8_t* entry = definitionBytes.data() + parts.columns + i * format.columnEntrySize;
    const int number = loadU16(entry + format.columnNumberOffset);
    sortOrders[number] = {loadU16(entry + kJet4ColumnSortOrderOffset),
                          entry[kJet4ColumnSortVersionOffset]};
  }

  std::vector<JetIndexPlan> plans;
  for (std::size_t r = 0; r < definition.realIndexes.size(); ++r) {
    const JetRealIndex& real = definition.realIndexes[r];
    JetIndexPlan plan;
    plan.realIndex = static_cast<int>(r);
    plan.shape.table = table;
    plan.shape.index = indexName(definition, plan.realIndex);
    for (const JetIndexColumn& key : real.columns) {
      const int position = positions.at(key.number);
      const JetColumnDefinition& column = definition.columns[static_cast<std::size_t>(position)];
      const std::optional<JetKeyKind> kind = jetKind(column.kind).keyKind;
      if (!kind) {
        throw JetIndexRefusal(table, plan.shape.index,
                              "holds the column '" + column.name +
                                  "', of a kind this program cannot write index keys for");
      }
      JetKeyColumn keyColumn{column.name, *kind, key.ascending, JetSortOrder::generalLegacy()};
      if (*kind == JetKeyKind::Text) keyColumn.sortOrder = sortOrders.at(key.number);
      plan.shape.columns.push_back(std::move(keyColumn));
      plan.columnOrder.push_back(position);
    }
    checkIndexShape(plan.shape);
    plan.unique = (real.flags & kIndexUnique) != 0;
    plan.refusesNulls = isPrimaryKey(definition, plan.realIndex) || (real.flags & kIndexRequired);
    plan.ignoresNulls = (real.flags & kIndexIgnoreNulls) != 0;
    plan.usageMap = real.usageMap;
    plan.firstPage = real.firstPage;
    plan.firstPageAt =
        parts.realIndexes + r * format.realIndexEntrySize + format.realIndexFirstPageOffset;
    plan.entryCountAt = format.realIndexCountsStart + r * format.realIndexCountEntrySize +
                        kJet4RealIndexEntryCountOffset;
    plans.push_back(std::move(plan));
  }
  return plans;
}

}  // namespace tiermend::data::jet
