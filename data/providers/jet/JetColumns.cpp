// Jet column kinds to the provider's column types.
#include "data/providers/jet/JetColumns.h"

namespace tiermend::data::jet {

namespace {

ColumnType typeOf(const MdbColumn& column) {
  switch (column.col_type) {
    case MDB_BOOL:
      return ColumnType::Boolean;
    case MDB_BYTE:
      return ColumnType::UInt8;
    case MDB_INT:
      return ColumnType::Int16;
    case MDB_LONGINT:
      return ColumnType::Int32;
    case MDB_MONEY:
      return ColumnType::Currency;
    case MDB_FLOAT:
      return ColumnType::Single;
    case MDB_DOUBLE:
      return ColumnType::Double;
    case MDB_DATETIME:
      return ColumnType::DateTime;
    case MDB_TEXT:
      return ColumnType::Text;
    case MDB_MEMO:
      return ColumnType::Memo;
    case MDB_OLE:
      return ColumnType::Blob;
    case MDB_REPID:
      return ColumnType::Guid;
    case MDB_NUMERIC:
      return ColumnType::Decimal;
    // An attachment or multi-valued column holds the 32-bit key of its hidden rows.
    case MDB_COMPLEX:
      return ColumnType::Int32;
    case kMdbBigInt:
      return ColumnType::Int64;
    default:
      return ColumnType::Binary;  // MDB_BINARY and kinds unknown to this provider
  }
}

}  // namespace

int fixedValueWidth(int columnType) {
  switch (columnType) {
    case MDB_BYTE:
      return 1;
    case MDB_INT:
      return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
    case MDB_COMPLEX:
      return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME:
    case kMdbBigInt:
      return 8;
    case MDB_REPID:
      return 16;
    case MDB_NUMERIC:
      return 17;
    default:
      return 0;
  }
}

ColumnInfo describeColumn(const MdbColumn& column, bool jet3) {
  ColumnInfo info;
  info.name = column.name;
  info.type = typeOf(column);
  switch (info.type) {
    case ColumnType::Text:
      info.size = jet3 ? column.col_size : column.col_size / 2;
      info.unicode = !jet3;
      break;
    case ColumnType::Memo:
      info.unicode = !jet3;
      break;
    case ColumnType::Decimal:
      // libmdb 1.0.0 fills col_prec and col_scale the wrong way round.
      info.precision = column.col_scale;
      info.scale = column.col_prec;
      break;
    case ColumnType::Binary:
      info.size = column.col_size;
      break;
    default:
      break;
  }
  info.autoIncrement = column.is_long_auto != 0;
  // Kinds this provider does not know carry their raw bytes; they cannot go back.
  const bool known = info.type != ColumnType::Binary || column.col_type == MDB_BINARY;
  info.updatable = known && column.col_type != MDB_COMPLEX;
  return info;
}

}  // namespace tiermend::data::jet
