// A table's write layout from its checked definition.
#include "data/providers/jet/tables/JetTableLayout.h"

#include <algorithm>

#include "data/EngineError.h"
#include "data/providers/jet/values/JetKinds.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void refuse(const std::string& table, const std::string& why) {
  throw EngineError("Cannot update table '" + table + "': " + why + ".");
}

JetColumnLayout columnLayout(const std::string& table, const JetColumnDefinition& definition) {
  JetColumnLayout column;
  column.name = definition.name;
  column.type = definition.kind;
  const JetKindFacts& kind = jetKind(column.type);
  if (!kind.writable) {
    refuse(table, "its column '" + column.name + "' is of a kind this program cannot write");
  }
  column.number = definition.number;
  column.varIndex = definition.varIndex;
  column.fixedOffset = definition.fixedOffset;
  column.size = definition.size;
  column.fixed = definition.fixed();
  column.compressed = definition.compressed;
  column.autoNumber = definition.autoNumber() && column.type == kJetInt32;
  column.autoGuid = definition.autoGuid() && column.type == kJetGuid;
  column.precision = definition.precision;
  column.scale = definition.scale;
  if (definition.autoNumber() && !column.autoNumber) {
    refuse(table,
           "its auto-number column '" + column.name + "' is of a kind this program cannot fill");
  }
  if (column.fixed && kind.sized) {
    refuse(table, "its fixed-length column '" + column.name +
                      "' is of a layout this program cannot write");
  }
  return column;
}

}  // namespace

JetTableLayout layoutOfTable(const std::string& name, const JetTableDefinition& definition,
                             const JetFormat& format) {
  JetTableLayout layout;
  layout.name = name;
  layout.jet3 = format.jet3;
  layout.definitionPage = definition.page;
  // Jet 4 indexes are rebuilt by the index writer; Jet 3 index pages are another
  // layout, which no reader at hand could check.
  if (format.jet3 && (!definition.indexes.empty() || !definition.realIndexes.empty())) {
    refuse(layout.name, "it has indexes, which this program cannot rebuild");
  }
  layout.rowCountOffset = format.rowCountOffset;
  layout.autoNumberOffset = format.autoNumberOffset;
  layout.rowColumnCount = definition.rowColumnCount;
  layout.ownedMap = definition.ownedMap;
  layout.freeMap = definition.freeMap;
  layout.fixedSize = definition.fixedSize;
  layout.varCount = definition.varColumnCount;
  for (const JetColumnDefinition& column : definition.columns) {
    layout.columns.push_back(columnLayout(layout.name, column));
    if (!column.fixed()) layout.varCount = std::max(layout.varCount, column.varIndex + 1);
  }
  return layout;
}

}  // namespace tiermend::data::jet
