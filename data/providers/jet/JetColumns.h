// What the provider reports about a Jet column, from libmdb's column definition.
#pragma once

#include "data/ColumnInfo.h"
#include "data/providers/jet/Mdb.h"

namespace tiermend::data::jet {

// Column kinds that libmdb 1.0.0 has no name for.
inline constexpr int kMdbBigInt = 0x13;  // Large Number (64-bit integer), newer formats

// The column's name, type and attributes. Jet 3 text is 8-bit; Jet 4 text is Unicode
// and its defined size is stored in bytes (two per character).
ColumnInfo describeColumn(const MdbColumn& column, bool jet3);

// The number of bytes a fixed-width value of this column kind occupies in a row, or 0
// for variable-length kinds (text, memo, OLE, binary) and Yes/No (held in the null mask).
int fixedValueWidth(int columnType);

}  // namespace tiermend::data::jet
