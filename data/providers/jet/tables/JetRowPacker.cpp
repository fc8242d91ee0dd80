// Building Jet 3 and Jet 4 row bytes from values.
#include "data/providers/jet/tables/JetRowPacker.h"

#include <algorithm>

#include "data/EngineError.h"
#include "data/providers/jet/format/JetFormat.h"

namespace tiermend::data::jet {

namespace {

std::size_t variableEntriesOf(const JetTableDefinition& definition) {
  auto entries = static_cast<std::size_t>(definition.varColumnCount);
  for (const JetColumnDefinition& column : definition.columns) {
    if (!column.fixed()) entries = std::max(entries, static_cast<std::size_t>(column.varIndex) + 1);
  }
  return entries;
}

}  // namespace

JetRowPacker::JetRowPacker(std::string table, const JetTableDefinition& definition,
                           const JetFormat& format, const JetTextCodec& text)
    : table_(std::move(table)),
      definition_(definition),
      format_(format),
      variableEntries_(variableEntriesOf(definition)) {
  codecs_.reserve(definition_.columns.size());
  for (const JetColumnDefinition& column : definition_.columns) {
    codecs_.emplace_back(JetValueColumn{column.name, column.kind, column.size, column.precision,
                                        column.scale, column.compressed},
                         text);
  }
}

const std::vector<std::uint8_t>& JetRowPacker::pack(const std::vector<Value>& values) {
  startRow();
  placeValues(values);
  const std::size_t nullMaskBytes = (present_.size() + 7) / 8;
  if (variableEntries_ > 0) {
    appendVariableValues(values);
    if (format_.jet3) {
      finishJet3(nullMaskBytes);
    } else {
      finishJet4(nullMaskBytes);
    }
  }
  appendNullMask();
  if (row_.size() > format_.mostRowBytes()) {
    throw EngineError("The record is too large: a row of table '" + table_ +
                      "' cannot be longer than one page.");
  }
  return row_;
}

std::size_t JetRowPacker::countBytes() const {
  return format_.rowCountSize;
}

// The column count and a zeroed fixed area; no value present yet.
void JetRowPacker::startRow() {
  row_.assign(countBytes() + static_cast<std::size_t>(definition_.fixedSize), 0);
  const auto columnCount = static_cast<unsigned>(definition_.rowColumnCount);
  storeLittle(row_.data(), countBytes(), columnCount);
  present_.assign(columnCount, false);
  spans_.assign(definition_.columns.size(), Span{});
  variableOwners_.assign(variableEntries_, kNoOwner);
}

// Sets the null-mask bits, writes the fixed values in place and notes which column
// owns each variable value that is present.
void JetRowPacker::placeValues(const std::vector<Value>& values) {
  for (std::size_t i = 0; i < definition_.columns.size(); ++i) {
    const JetColumnDefinition& column = definition_.columns[i];
    const JetValueCodec& codec = codecs_[i];
    const Value& value = values[i];
    const auto bit = static_cast<std::size_t>(column.number);
    if (codec.kind().inNullMask) {
      present_[bit] = codec.encodeBit(value);
      continue;
    }
    if (isNull(value)) continue;
    present_[bit] = true;
    if (column.fixed()) {
      const std::size_t start = countBytes() + static_cast<std::size_t>(column.fixedOffset);
      codec.encodeFixed(value, row_.data() + start);
      spans_[i] = Span{start, static_cast<std::size_t>(codec.kind().fixedWidth)};
    } else {
      variableOwners_[static_cast<std::size_t>(column.varIndex)] = i;
    }
  }
}

// The variable values in offset-table order, each entry's start noted; a row already
// too long for a page stops early (pack refuses it).
void JetRowPacker::appendVariableValues(const std::vector<Value>& values) {
  varStarts_.assign(variableOwners_.size() + 1, 0);
  for (std::size_t index = 0; index < variableOwners_.size(); ++index) {
    varStarts_[index] = row_.size();
    const std::size_t owner = variableOwners_[index];
    if (owner == kNoOwner) continue;
    const std::size_t start = row_.size();
    codecs_[owner].appendVariable(values[owner], row_);
    spans_[owner] = Span{start, row_.size() - start};
    if (row_.size() > format_.mostRowBytes()) break;
  }
  varStarts_.back() = row_.size();  // the end of the data
}

void JetRowPacker::appendNullMask() {
  for (std::size_t first = 0; first < present_.size(); first += 8) {
    std::uint8_t bits = 0;
    for (std::size_t bit = 0; bit < 8 && first + bit < present_.size(); ++bit) {
      if (present_[first + bit]) bits = static_cast<std::uint8_t>(bits | 1u << bit);
    }
    row_.push_back(bits);
  }
}

void JetRowPacker::storedValues(std::vector<Value>& out) const {
  out.clear();
  out.reserve(definition_.columns.size());
  for (std::size_t i = 0; i < definition_.columns.size(); ++i) {
    const bool present = present_[static_cast<std::size_t>(definition_.columns[i].number)];
    // The packer writes no long values, so no pages are needed to read them back.
    out.push_back(
        codecs_[i].decode(present, row_.data() + spans_[i].start, spans_[i].size, nullptr));
  }
}

void JetRowPacker::appendU16(std::size_t value) {
  const std::size_t at = row_.size();
  row_.resize(at + 2);
  storeU16(row_.data() + at, static_cast<std::uint16_t>(value));
}

// End of data, then the offsets from the last variable column to the first, then
// their count.
void JetRowPacker::finishJet4(std::size_t) {
  const std::size_t entries = varStarts_.size() - 1;
  for (std::size_t k = 0; k <= entries; ++k) {
    appendU16(varStarts_[entries - k]);
  }
  appendU16(entries);
}

// Jet 3 keeps only the low byte of each offset. Reading from the row's end: the null
// mask, the entry count, the jump table (one byte for every full 256 bytes of row,
// counted from the row's whole length), then the offsets (end of data last).
void JetRowPacker::finishJet3(std::size_t nullMaskBytes) {
  const std::size_t entries = varStarts_.size() - 1;
  const std::size_t withoutJumps = row_.size() + entries + 1 + 1 + nullMaskBytes;
  std::size_t jumps = 0;
  while ((withoutJumps + jumps - 1) / kJet3JumpStride > jumps) ++jumps;
  const std::size_t endOfData = varStarts_.back();
  const std::size_t realJumps = endOfData / kJet3JumpStride;
  if (realJumps > jumps) {
    throw EngineError("Internal error: the Jet 3 row layout of table '" + table_ +
                      "' does not add up.");
  }
  for (std::size_t k = 0; k <= entries; ++k) {
    row_.push_back(static_cast<std::uint8_t>(varStarts_[entries - k] & 0xFF));
  }
  // The jump table is stored last entry first.
  std::vector<std::uint8_t> table(jumps, kJet3UnusedJump);
  for (std::size_t j = 0; j < realJumps; ++j) {
    std::size_t first = 0;
    while (first <= entries && varStarts_[first] < (j + 1) * kJet3JumpStride) ++first;
    table[j] = static_cast<std::uint8_t>(first);
  }
  for (std::size_t k = 0; k < jumps; ++k) row_.push_back(table[jumps - 1 - k]);
  row_.push_back(static_cast<std::uint8_t>(entries));
}

}  // namespace tiermend::data::jet
