// Jet column kinds to the provider's column types.
#include "data/providers/jet/tables/JetColumns.h"

#include "data/providers/jet/values/JetKinds.h"

namespace tiermend::data::jet {

ColumnInfo describeColumn(const JetColumnDefinition& column, const JetTextCodec& text) {
  const JetKindFacts& kind = jetKind(column.kind);
  ColumnInfo info;
  info.name = column.name;
  info.type = kind.columnType;
  switch (info.type) {
    case ColumnType::Text:
      info.size = text.charactersIn(column.size);
      info.unicode = text.unicode();
      break;
    case ColumnType::Memo:
      info.unicode = text.unicode();
      break;
    case ColumnType::Decimal:
      info.precision = column.precision;
      info.scale = column.scale;
      break;
    case ColumnType::Binary:
      info.size = column.size;
      break;
    default:
      break;
  }
  info.autoIncrement = column.autoNumber() && column.kind == kJetInt32;
  info.updatable = kind.updatable;
  return info;
}

JetValueColumn valueColumnOf(const JetColumnDefinition& column) {
  return {column.name, column.kind, column.size, column.precision, column.scale, column.compressed};
}

}  // namespace tiermend::data::jet
