// The column kinds, one row of facts each: how wide a stored value is and where a row
// keeps it, what the provider reports it as, whether the writer can store it, which key
// kind an index on it uses, and the codec that turns its values into bytes and back.
// Every question about a kind is answered here, so that no other file switches over
// kinds.
#pragma once

#include <optional>

#include "data/ColumnInfo.h"
#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/values/JetKeyValue.h"

namespace tiermend::data::jet {

struct JetKindCodec;

struct JetKindFacts {
  // The bytes of a fixed-width value; 0 for kinds of any length and for Yes/No.
  int fixedWidth = 0;
  bool inNullMask = false;  // Yes/No: the value is the column's null-mask bit
  bool longValue = false;   // Memo and OLE: the row holds a reference to long-value rows
  bool text = false;        // Text and Memo: characters in the database's text codec
  bool sized = false;       // Text and Binary: at most the column's defined size
  ColumnType columnType = ColumnType::Binary;  // what the provider reports
  bool writable = false;                       // the writer can store values of it
  bool updatable = false;                      // the provider reports columns of it as writable
  std::optional<JetKeyKind> keyKind =
      std::nullopt;  // the kind of an index key column, if an index can hold it
  const JetKindCodec* codec = nullptr;
};

// The facts of kind (JetKind); kinds this provider does not know share one row: read as
// raw bytes, never written, never keyed.
const JetKindFacts& jetKind(int kind);

}  // namespace tiermend::data::jet
