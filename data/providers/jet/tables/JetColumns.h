// What the provider reports about a Jet column, and what its codec needs, from its
// definition.
#pragma once

#include "data/ColumnInfo.h"
#include "data/providers/jet/tables/JetTableDefinition.h"
#include "data/providers/jet/values/JetTextCodec.h"
#include "data/providers/jet/values/JetValueCodec.h"

namespace tiermend::data::jet {

// The column's name, type and attributes. A text column's size is given in characters
// of the database's text (Jet 4 stores it in bytes, two per character).
ColumnInfo describeColumn(const JetColumnDefinition& column, const JetTextCodec& text);

// The parts of the column's definition its codec needs.
JetValueColumn valueColumnOf(const JetColumnDefinition& column);

}  // namespace tiermend::data::jet
