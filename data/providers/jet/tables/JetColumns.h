// What the provider reports about a Jet column, from its definition.
#pragma once

#include "data/ColumnInfo.h"
#include "data/providers/jet/tables/JetTableDefinition.h"

namespace tiermend::data::jet {

// The column's name, type and attributes. Jet 3 text is 8-bit; Jet 4 text is Unicode
// and its defined size is stored in bytes (two per character).
ColumnInfo describeColumn(const JetColumnDefinition& column, bool jet3);

}  // namespace tiermend::data::jet
