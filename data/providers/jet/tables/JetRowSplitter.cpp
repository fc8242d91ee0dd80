// Splitting rows into values by the null mask and the variable offset table.
#include "data/providers/jet/tables/JetRowSplitter.h"

#include "data/providers/jet/values/JetKinds.h"

namespace tiermend::data::jet {

JetRowSplitter::JetRowSplitter(const JetTableDefinition& table, const JetFormat& format)
    : table_(table), format_(format) {}

// Reads the variable count, the offset table (and the Jet 3 jump table) at the row's end.
bool JetRowSplitter::readVariableStarts(const std::uint8_t* row, std::size_t size,
                                        std::size_t maskBytes, std::size_t rowColumns) {
  const std::size_t countSize = format_.rowCountSize;
  varStarts_.clear();
  if (table_.varColumnCount == 0) {
    varDataEnd_ = size - maskBytes;
    return true;
  }
  if (size < countSize + maskBytes + countSize) return false;
  const std::size_t countAt = size - maskBytes - countSize;
  const std::size_t varCount = countSize == 1 ? row[countAt] : loadU16(row + countAt);
  if (varCount > rowColumns) return false;
  if (countSize == 2) {
    // Jet 4: varCount starts and the end of the data, each of countSize bytes, last first.
    const std::size_t entries = varCount + 1;
    if (countAt < countSize + countSize * entries) return false;
    for (std::size_t k = 0; k < entries; ++k) {
      varStarts_.push_back(loadU16(row + countAt - countSize * (k + 1)));
    }
    varDataEnd_ = countAt - countSize * entries;
  } else {
    // Jet 3: a jump table entry for every 256 bytes of row, then one byte per start.
    std::size_t jumps = (size - 1) / kJet3JumpStride;
    if (countAt < countSize + jumps + varCount + 1) return false;
    const std::size_t tableEnd = countAt - jumps;  // the offset table ends here
    // The count comes from the row's size, so the last entry may stand for nothing.
    if ((tableEnd - 1 - varCount) / kJet3JumpStride < jumps) --jumps;
    std::size_t used = 0;
    for (std::size_t k = 0; k <= varCount; ++k) {
      while (used < jumps && row[countAt - 1 - used] == k) ++used;
      varStarts_.push_back(row[tableEnd - 1 - k] + kJet3JumpStride * used);
    }
    varDataEnd_ = tableEnd - (varCount + 1);
  }
  // Starts rise and stay inside the data before the offset table.
  for (std::size_t k = 0; k < varStarts_.size(); ++k) {
    if (varStarts_[k] < countSize || varStarts_[k] > varDataEnd_) return false;
    if (k > 0 && varStarts_[k] < varStarts_[k - 1]) return false;
  }
  return true;
}

bool JetRowSplitter::split(const std::uint8_t* row, std::size_t size,
                           std::vector<JetField>& fields) {
  const std::size_t countSize = format_.rowCountSize;
  if (size < countSize + 1) return false;
  const std::size_t rowColumns = countSize == 1 ? row[0] : loadU16(row);
  const std::size_t maskBytes = (rowColumns + 7) / 8;
  if (size < countSize + maskBytes) return false;
  if (!readVariableStarts(row, size, maskBytes, rowColumns)) return false;
  const std::uint8_t* mask = row + size - maskBytes;
  const std::size_t fixedEnd = varStarts_.empty() ? varDataEnd_ : varStarts_.front();
  const std::size_t varCount = varStarts_.empty() ? 0 : varStarts_.size() - 1;

  fields.resize(table_.columns.size());
  for (std::size_t i = 0; i < table_.columns.size(); ++i) {
    const JetColumnDefinition& column = table_.columns[i];
    JetField& field = fields[i];
    const auto number = static_cast<std::size_t>(column.number);
    field = JetField{};
    if (number >= rowColumns) continue;  // added after the row was written: null
    field.present = (mask[number / 8] >> (number % 8)) & 1;
    if (!field.present || column.kind == kJetBoolean) continue;
    if (column.fixed()) {
      const int width = jetKind(column.kind).fixedWidth;
      field.start = countSize + static_cast<std::size_t>(column.fixedOffset);
      field.size = static_cast<std::size_t>(width > 0 ? width : column.size);
      if (field.start + field.size > fixedEnd) return false;
    } else {
      const auto entry = static_cast<std::size_t>(column.varIndex);
      if (entry >= varCount) {
        field.present = false;  // the row holds fewer variable values: null
        continue;
      }
      field.start = varStarts_[entry];
      field.size = varStarts_[entry + 1] - varStarts_[entry];
    }
  }
  return true;
}

}  // namespace tiermend::data::jet
