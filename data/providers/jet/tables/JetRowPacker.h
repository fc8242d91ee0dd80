// Packs one row of values into the bytes of a Jet row, as the engine reads it back:
//   Jet 4: column count (2 bytes), fixed area, variable data, end-of-data offset,
//          the variable offset table in reverse order, its entry count (2 bytes each),
//          then the null mask (one bit per column, set = present; Yes/No values are
//          their bit).
//   Jet 3: the same with 1-byte counts and offsets, plus a jump table that gives, for
//          every 256 bytes of row, the first offset entry at or past that boundary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/Value.h"
#include "data/providers/jet/tables/JetTableDefinition.h"
#include "data/providers/jet/values/JetTextCodec.h"
#include "data/providers/jet/values/JetValueCodec.h"

namespace tiermend::data::jet {

class JetRowPacker {
 public:
  // Values are encoded through one codec per column of definition, text through the
  // database's text codec. definition, checked writable (checkWritable), must outlive
  // the packer; table names it in messages.
  JetRowPacker(std::string table, const JetTableDefinition& definition, const JetFormat& format,
               const JetTextCodec& text);

  // values holds one value per column of the definition, in its order. Throws EngineError,
  // naming the column, for a value that does not fit it; a row too long for a page is
  // refused too.
  const std::vector<std::uint8_t>& pack(const std::vector<Value>& values);

  // The values of the row last packed as a reader decodes them from its bytes (one per
  // column), through the same codecs: what the check after writing must read back.
  void storedValues(std::vector<Value>& out) const;
  // The codec of each column, in the definition's order.
  const std::vector<JetValueCodec>& codecs() const { return codecs_; }

 private:
  std::size_t countBytes() const;
  void startRow();
  void placeValues(const std::vector<Value>& values);
  void appendVariableValues(const std::vector<Value>& values);
  void appendNullMask();
  void appendU16(std::size_t value);
  void finishJet4(std::size_t nullMaskBytes);
  void finishJet3(std::size_t nullMaskBytes);

  std::string table_;
  const JetTableDefinition& definition_;
  const JetFormat& format_;
  // Entries in each row's variable offset table: one per variable column, and as many
  // as the highest entry a column uses (columns deleted from the table leave gaps).
  std::size_t variableEntries_ = 0;
  std::vector<JetValueCodec> codecs_;  // per column
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
};

}  // namespace tiermend::data::jet
