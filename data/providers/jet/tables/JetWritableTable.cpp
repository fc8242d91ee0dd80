// The tables and columns the writer can change.
#include "data/providers/jet/tables/JetWritableTable.h"

#include "data/EngineError.h"
#include "data/providers/jet/values/JetKinds.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void refuse(const std::string& table, const std::string& why) {
  throw EngineError("Cannot update table '" + table + "': " + why + ".");
}

void checkColumn(const std::string& table, const JetColumnDefinition& column) {
  const JetKindFacts& kind = jetKind(column.kind);
  if (!kind.writable) {
    refuse(table, "its column '" + column.name + "' is of a kind this program cannot write");
  }
  if (column.autoNumber() && !isAutoNumber(column)) {
    refuse(table,
           "its auto-number column '" + column.name + "' is of a kind this program cannot fill");
  }
  if (column.fixed() && kind.sized) {
    refuse(table, "its fixed-length column '" + column.name +
                      "' is of a layout this program cannot write");
  }
}

}  // namespace

void checkWritable(const std::string& table, const JetTableDefinition& definition,
                   const JetFormat& format) {
  // Jet 4 indexes are rebuilt by the index writer; Jet 3 index pages are another
  // layout, which no reader at hand could check.
  if (format.jet3 && (!definition.indexes.empty() || !definition.realIndexes.empty())) {
    refuse(table, "it has indexes, which this program cannot rebuild");
  }
  for (const JetColumnDefinition& column : definition.columns) checkColumn(table, column);
}

}  // namespace tiermend::data::jet
