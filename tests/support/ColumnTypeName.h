// The name of a column type as written in code ("Int16", "DateTime"), for naming test
// cases by the type they exercise.
#pragma once

#include <string>

#include "data/ColumnInfo.h"

namespace tiermend::testing {

inline std::string columnTypeName(data::ColumnType type) {
  using data::ColumnType;
  switch (type) {
    case ColumnType::Text:
      return "Text";
    case ColumnType::Int8:
      return "Int8";
    case ColumnType::Int16:
      return "Int16";
    case ColumnType::Int32:
      return "Int32";
    case ColumnType::Int64:
      return "Int64";
    case ColumnType::UInt8:
      return "UInt8";
    case ColumnType::UInt16:
      return "UInt16";
    case ColumnType::UInt32:
      return "UInt32";
    case ColumnType::Single:
      return "Single";
    case ColumnType::Double:
      return "Double";
    case ColumnType::Currency:
      return "Currency";
    case ColumnType::Decimal:
      return "Decimal";
    case ColumnType::DateTime:
      return "DateTime";
    case ColumnType::Date:
      return "Date";
    case ColumnType::Time:
      return "Time";
    case ColumnType::Boolean:
      return "Boolean";
    case ColumnType::Memo:
      return "Memo";
    case ColumnType::Blob:
      return "Blob";
    case ColumnType::Guid:
      return "Guid";
    case ColumnType::Binary:
      return "Binary";
  }
  return "Unknown";
}

}  // namespace tiermend::testing
