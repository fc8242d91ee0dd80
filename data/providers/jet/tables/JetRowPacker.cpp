// Building Jet 3 and Jet 4 row bytes from values.
#include "data/providers/jet/tables/JetRowPacker.h"

#include <algorithm>

#include "data/EngineError.h"
#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/values/JetText.h"
#include "data/providers/jet/values/JetValueBytes.h"
#include "data/providers/jet/values/JetValueCodec.h"
#include "data/providers/jet/values/JetValues.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void wrongValue(const JetColumnDefinition& column) {
  throw EngineError("The value given for field '" + column.name + "' is not of its kind.");
}

std::size_t variableEntriesOf(const JetTableDefinition& definition) {
  auto entries = static_cast<std::size_t>(definition.varColumnCount);
  for (const JetColumnDefinition& column : definition.columns) {
    if (!column.fixed()) entries = std::max(entries, static_cast<std::size_t>(column.varIndex) + 1);
  }
  return entries;
}

}  // namespace

JetRowPacker::JetRowPacker(std::string table, const JetTableDefinition& definition,
                           const JetFormat& format, Jet3TextEncoder jet3Text,
                           Jet3TextDecoder jet3Decode)
    : table_(std::move(table)),
      definition_(definition),
      format_(format),
      variableEntries_(variableEntriesOf(definition)),
      jet3Text_(std::move(jet3Text)),
      jet3Decode_(std::move(jet3Decode)) {}

void JetRowPacker::putFixed(const JetColumnDefinition& column, const Value& value,
                            std::uint8_t* at) {
  encodeFixedValue(column.kind, column.precision, column.scale, value, column.name, at);
}

std::vector<std::uint8_t> JetRowPacker::variableBytes(const JetColumnDefinition& column,
                                                      const Value& value) {
  if (column.kind == kJetMemo || column.kind == kJetOle) {
    throw EngineError("Field '" + column.name +
                      "' cannot be written: this program does not write long values.");
  }
  if (column.kind == kJetBinary) {
    const auto* bytes = std::get_if<Bytes>(&value);
    if (bytes == nullptr) wrongValue(column);
    if (bytes->size() > static_cast<std::size_t>(column.size)) {
      throw EngineError("The value is too long for field '" + column.name + "'.");
    }
    return *bytes;
  }
  if (column.kind != kJetText) {
    // A kind of fixed width kept in the variable area (Access does so with Decimal).
    const int width = fixedValueWidth(column.kind);
    if (width == 0) wrongValue(column);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width), 0);
    putFixed(column, value, bytes.data());
    return bytes;
  }
  const auto* text = std::get_if<std::string>(&value);
  if (text == nullptr) wrongValue(column);
  if (format_.jet3) {
    std::vector<std::uint8_t> bytes = jet3Text_(*text, column.name);
    if (bytes.size() > static_cast<std::size_t>(column.size)) {
      throw EngineError("The text is too long for field '" + column.name + "'.");
    }
    return bytes;
  }
  const std::u16string units = utf8ToUtf16(*text);
  if (units.size() * 2 > static_cast<std::size_t>(column.size)) {
    throw EngineError("The text is too long for field '" + column.name + "'.");
  }
  return jet4TextBytes(units, column.compressed);
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
  if (format_.jet3) {
    row_[0] = static_cast<std::uint8_t>(columnCount);
  } else {
    writeInt16(row_.data(), static_cast<std::int16_t>(columnCount));
  }
  present_.assign(columnCount, false);
  spans_.assign(definition_.columns.size(), Span{});
  variableOwners_.assign(variableEntries_, kNoOwner);
}

// Sets the null-mask bits, writes the fixed values in place and notes which column
// owns each variable value that is present.
void JetRowPacker::placeValues(const std::vector<Value>& values) {
  for (std::size_t i = 0; i < definition_.columns.size(); ++i) {
    const JetColumnDefinition& column = definition_.columns[i];
    const Value& value = values[i];
    const auto bit = static_cast<std::size_t>(column.number);
    if (column.kind == kJetBoolean) {
      present_[bit] = encodeYesNo(value, column.name);
      continue;
    }
    if (isNull(value)) continue;
    present_[bit] = true;
    if (column.fixed()) {
      const std::size_t start = countBytes() + static_cast<std::size_t>(column.fixedOffset);
      putFixed(column, value, row_.data() + start);
      spans_[i] = Span{start, static_cast<std::size_t>(fixedValueWidth(column.kind))};
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
    const std::vector<std::uint8_t> bytes =
        variableBytes(definition_.columns[owner], values[owner]);
    spans_[owner] = Span{row_.size(), bytes.size()};
    row_.insert(row_.end(), bytes.begin(), bytes.end());
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
    const JetColumnDefinition& column = definition_.columns[i];
    const bool present = present_[static_cast<std::size_t>(column.number)];
    if (column.kind == kJetBoolean) {
      out.emplace_back(present);
      continue;
    }
    if (!present) {
      out.emplace_back(Null{});
      continue;
    }
    const std::uint8_t* bytes = row_.data() + spans_[i].start;
    const std::size_t size = spans_[i].size;
    if (column.kind == kJetText) {
      out.emplace_back(format_.jet3 ? jet3Decode_(bytes, size) : decodeJet4Text(bytes, size));
    } else if (fixedValueWidth(column.kind) > 0) {
      out.emplace_back(decodeFixedValue(column.kind, column.scale, bytes, column.name));
    } else {
      out.emplace_back(Bytes(bytes, bytes + size));
    }
  }
}

std::span<const std::uint8_t> JetRowPacker::valueBytes(std::size_t i) const {
  const JetColumnDefinition& column = definition_.columns[i];
  if (column.kind == kJetBoolean || !present_[static_cast<std::size_t>(column.number)]) return {};
  return {row_.data() + spans_[i].start, spans_[i].size};
}

// End of data, then the offsets from the last variable column to the first, then
// their count.
void JetRowPacker::finishJet4(std::size_t) {
  const std::size_t entries = varStarts_.size() - 1;
  for (std::size_t k = 0; k <= entries; ++k) {
    const std::size_t at = row_.size();
    row_.resize(at + 2);
    writeInt16(row_.data() + at, static_cast<std::int16_t>(varStarts_[entries - k]));
  }
  const std::size_t at = row_.size();
  row_.resize(at + 2);
  writeInt16(row_.data() + at, static_cast<std::int16_t>(entries));
}

// Jet 3 keeps only the low byte of each offset. Reading from the row's end: the null
// mask, the entry count, the jump table (one byte for every full 256 bytes of row,
// counted from the row's whole length), then the offsets (end of data last).
void JetRowPacker::finishJet3(std::size_t nullMaskBytes) {
  const std::size_t entries = varStarts_.size() - 1;
  const std::size_t withoutJumps = row_.size() + entries + 1 + 1 + nullMaskBytes;
  std::size_t jumps = 0;
  while ((withoutJumps + jumps - 1) / 256 > jumps) ++jumps;
  const std::size_t endOfData = varStarts_.back();
  const std::size_t realJumps = endOfData / 256;
  if (realJumps > jumps) {
    throw EngineError("Internal error: the Jet 3 row layout of table '" + table_ +
                      "' does not add up.");
  }
  for (std::size_t k = 0; k <= entries; ++k) {
    row_.push_back(static_cast<std::uint8_t>(varStarts_[entries - k] & 0xFF));
  }
  // The jump table is stored last entry first, unused entries as 0xFF.
  std::vector<std::uint8_t> table(jumps, 0xFF);
  for (std::size_t j = 0; j < realJumps; ++j) {
    std::size_t first = 0;
    while (first <= entries && varStarts_[first] < (j + 1) * 256) ++first;
    table[j] = static_cast<std::uint8_t>(first);
  }
  for (std::size_t k = 0; k < jumps; ++k) row_.push_back(table[jumps - 1 - k]);
  row_.push_back(static_cast<std::uint8_t>(entries));
}

}  // namespace tiermend::data::jet
