// What a provider reports about one column of a result: its name, its type and the
// attributes that decide how its edit text is formed and whether it can be written.
#pragma once

#include <string>

namespace tiermend::data {

enum class ColumnType {
  Text,  // fixed or variable character data; see ColumnInfo::unicode and size
  Int8,
  Int16,
  Int32,
  Int64,
  UInt8,
  UInt16,
  UInt32,
  Single,
  Double,
  Currency,  // fixed point, 4 decimal places
  Decimal,   // exact numeric with precision and scale
  DateTime,
  Date,
  Time,
  Boolean,
  Memo,  // long text
  Blob,  // long binary
  Guid,
  Binary,  // fixed or variable binary that is not long
};

struct ColumnInfo {
  std::string name;  // UTF-8
  ColumnType type = ColumnType::Text;
  int size = 0;                // Text: defined size in characters (0: no limit); Binary: bytes
  int precision = 0;           // Decimal
  int scale = 0;               // Decimal
  bool unicode = true;         // Text and Memo: stored as Unicode (else 8-bit)
  bool autoIncrement = false;  // an auto-number column
  bool updatable = true;       // false: the provider reports it cannot be written
  bool hidden = false;         // a row-identity column the provider hides from the result
};

}  // namespace tiermend::data
