// Packs one row of values into the bytes of a Jet row, as the engine reads it back:
//   Jet 4: column count (2 bytes), fixed area, variable data, end-of-data offset,
//          the variable offset table in reverse order, its entry count (2 bytes each),
//          then the null mask (one bit per column, set = present; Yes/No values are
//          their bit).
//   Jet 3: the same with 1-byte counts and offsets, plus a jump table that gives, for
//          every 256 bytes of row, the first offset entry at or past that boundary.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "data/Value.h"
#include "data/providers/jet/tables/JetTableDefinition.h"

namespace tiermend::data::jet {

// Encodes Jet 3 text (UTF-8) in the file's code page; throws for text it cannot hold.
using Jet3TextEncoder =
    std::function<std::vector<std::uint8_t>(const std::string& text, const std::string& column)>;
// Decodes Jet 3 text in the file's code page to UTF-8.
using Jet3TextDecoder = std::function<std::string(const std::uint8_t* data, std::size_t size)>;

class JetRowPacker {
 public:
  // definition, checked writable (checkWritable), must outlive the packer; table names
  // it in messages.
  JetRowPacker(std::string table, const JetTableDefinition& definition, const JetFormat& format,
               Jet3TextEncoder jet3Text, Jet3TextDecoder jet3Decode);

  // values holds one value per column of the definition, in its order. Throws EngineError,
  // naming the column, for a value that does not fit it; a row too long for a page is
  // refused too.
  const std::vector<std::uint8_t>& pack(const std::vector<Value>& values);

  // The values of the row last packed as a reader decodes them from its bytes (one per
  // column): what the check after writing must read back.
  void storedValues(std::vector<Value>& out) const;
  // The bytes of column i's value in the row last packed; empty when it is null
  // (and for Yes/No, whose value is its null-mask bit).
  std::span<const std::uint8_t> valueBytes(std::size_t i) const;

 private:
  std::size_t countBytes() const;
  void startRow();
  void placeValues(const std::vector<Value>& values);
  void appendVariableValues(const std::vector<Value>& values);
  void appendNullMask();
  void putFixed(const JetColumnDefinition& column, const Value& value, std::uint8_t* at);
  std::vector<std::uint8_t> variableBytes(const JetColumnDefinition& column, const Value& value);
  void finishJet4(std::size_t nullMaskBytes);
  void finishJet3(std::size_t nullMaskBytes);

  std::string table_;
  const JetTableDefinition& definition_;
  const JetFormat& format_;
  // Entries in each row's variable offset table: one per variable column, and as many
  // as the highest entry a column uses (columns deleted from the table leave gaps).
  std::size_t variableEntries_ = 0;
  Jet3TextEncoder jet3Text_;
  std::vector<std::uint8_t> row_;
  std::vector<std::size_t> varStarts_;  // for each offset-table entry, its start
  std::vector<bool> present_;           // per null-mask bit
  struct Span {
    std::size_t start = 0, size = 0;
  };
  std::vector<Span> spans_;  // per column: where its value lies in row_
  // Per variable offset-table entry: the column whose value it holds, if any.
  static constexpr std::size_t kNoOwner = SIZE_MAX;
  std::vector<std::size_t> variableOwners_;
  Jet3TextDecoder jet3Decode_;
};

}  // namespace tiermend::data::jet
