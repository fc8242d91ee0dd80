// Jet column kinds to the provider's column types.
#include "data/providers/jet/tables/JetColumns.h"

namespace tiermend::data::jet {

namespace {

ColumnType typeOf(const JetColumnDefinition& column) {
  switch (column.kind) {
    case kJetBoolean:
      return ColumnType::Boolean;
    case kJetByte:
      return ColumnType::UInt8;
    case kJetInt16:
      return ColumnType::Int16;
    case kJetInt32:
      return ColumnType::Int32;
    case kJetCurrency:
      return ColumnType::Currency;
    case kJetSingle:
      return ColumnType::Single;
    case kJetDouble:
      return ColumnType::Double;
    case kJetDateTime:
      return ColumnType::DateTime;
    case kJetText:
      return ColumnType::Text;
    case kJetMemo:
      return ColumnType::Memo;
    case kJetOle:
      return ColumnType::Blob;
    case kJetGuid:
      return ColumnType::Guid;
    case kJetDecimal:
      return ColumnType::Decimal;
    // An attachment or multi-valued column holds the 32-bit key of its hidden rows.
    case kJetComplex:
      return ColumnType::Int32;
    case kJetInt64:
      return ColumnType::Int64;
    default:
      return ColumnType::Binary;  // kJetBinary and kinds unknown to this provider
  }
}

}  // namespace

ColumnInfo describeColumn(const JetColumnDefinition& column, bool jet3) {
  ColumnInfo info;
  info.name = column.name;
  info.type = typeOf(column);
  switch (info.type) {
    case ColumnType::Text:
      info.size = jet3 ? column.size : column.size / 2;
      info.unicode = !jet3;
      break;
    case ColumnType::Memo:
      info.unicode = !jet3;
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
  // Kinds this provider does not know carry their raw bytes; they cannot go back.
  const bool known = info.type != ColumnType::Binary || column.kind == kJetBinary;
  info.updatable = known && column.kind != kJetComplex;
  return info;
}

}  // namespace tiermend::data::jet
