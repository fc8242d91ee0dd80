// The tables and columns the writer can change.
#include "data/providers/jet/tables/JetWritableTable.h"

#include "data/EngineError.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void refuse(const std::string& table, const std::string& why) {
  throw EngineError("Cannot update table '" + table + "': " + why + ".");
}

bool writableKind(int kind) {
  switch (kind) {
    case kJetBoolean:
    case kJetByte:
    case kJetInt16:
    case kJetInt32:
    case kJetCurrency:
    case kJetSingle:
    case kJetDouble:
    case kJetDateTime:
    case kJetBinary:
    case kJetText:
    case kJetMemo:
    case kJetOle:
    case kJetGuid:
    case kJetDecimal:
      return true;
    default:
      return false;
  }
}

void checkColumn(const std::string& table, const JetColumnDefinition& column) {
  if (!writableKind(column.kind)) {
    refuse(table, "its column '" + column.name + "' is of a kind this program cannot write");
  }
  if (column.autoNumber() && !isAutoNumber(column)) {
    refuse(table,
           "its auto-number column '" + column.name + "' is of a kind this program cannot fill");
  }
  if (column.fixed() && (column.kind == kJetText || column.kind == kJetBinary)) {
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
