// Dividing a row's bytes into its columns' values, as the definition places them:
// fixed values at their offsets after the column count, variable values between the
// starts the row's offset table gives (Jet 3: one byte each, lifted past 256 by the
// jump table), and the null mask at the row's end. A row written before a column was
// added holds fewer columns; the missing ones read as null. Everything is checked to
// lie inside the row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/tables/JetTableDefinition.h"

namespace tiermend::data::jet {

struct JetField {
  std::size_t start = 0;  // from the row's start
  std::size_t size = 0;
  bool present = false;  // the null-mask bit: for Yes/No the value itself
};

class JetRowSplitter {
 public:
  JetRowSplitter(const JetTableDefinition& table, const JetFormat& format);

  // Divides row[0, size) into one field per column of the definition, in its order.
  // Returns false when the row's bytes do not add up.
  bool split(const std::uint8_t* row, std::size_t size, std::vector<JetField>& fields);

 private:
  bool readVariableStarts(const std::uint8_t* row, std::size_t size, std::size_t maskBytes,
                          std::size_t rowColumns);

  const JetTableDefinition& table_;
  const JetFormat& format_;
  std::vector<std::size_t> varStarts_;  // entry k: the start of variable value k; last: end
  std::size_t varDataEnd_ = 0;          // where the offset table's bytes begin
};

}  // namespace tiermend::data::jet
