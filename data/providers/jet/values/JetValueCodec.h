// The codec of one column: the value a row's bytes hold, the bytes a row holds for a
// value, and the value in the form an index key is made of, each kind's two directions
// side by side (JetValueCodec.cpp). The reader's cursor, the row packer, its read-back
// and the index writer all go through a column's codec, so that what is written, what
// is read back and what is keyed agree by construction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/Value.h"
#include "data/providers/jet/values/JetKeyValue.h"
#include "data/providers/jet/values/JetKinds.h"
#include "data/providers/jet/values/JetLongValue.h"
#include "data/providers/jet/values/JetTextCodec.h"

namespace tiermend::data::jet {

// The parts of a column's definition that shape its values' bytes.
struct JetValueColumn {
  std::string name;         // for messages
  int kind = 0;             // JetKind, or a kind this provider does not know
  int size = 0;             // the defined size in bytes (the most a Text or Binary value takes)
  int precision = 0;        // Decimal columns
  int scale = 0;            // Decimal columns
  bool compressed = false;  // Jet 4 Text: Unicode compression on
};

class JetValueCodec {
 public:
  JetValueCodec(JetValueColumn column, const JetTextCodec& text);

  const JetValueColumn& column() const { return column_; }
  const JetKindFacts& kind() const { return *kind_; }
  const JetTextCodec& text() const { return text_; }

  // Whether a field of size bytes holds a whole value: a fixed-width kind needs its width.
  bool holds(std::size_t size) const;
  // The value of a field: present is the column's null-mask bit, [bytes, bytes + size)
  // what the row holds for it; for Memo and OLE that is a long-value reference, read
  // through longValues. Throws EngineError naming the column for a value that cannot be
  // read (a date outside the calendar, a damaged long value).
  Value decode(bool present, const std::uint8_t* bytes, std::size_t size,
               const JetLongValueSource* longValues) const;

  // Each of these throws EngineError naming the column for a value it cannot hold: one
  // of another kind, out of range, too long, or with more digits than its precision.
  // Yes/No: the null-mask bit of a value (null is No; a number is Yes when not 0).
  bool encodeBit(const Value& value) const;
  // A fixed-width kind: writes the value's width bytes at at.
  void encodeFixed(const Value& value, std::uint8_t* at) const;
  // Appends the bytes of a value kept in the variable area: Text, Binary, and values of
  // fixed width kept there (Access keeps Decimal values so). Long values are refused.
  void appendVariable(const Value& value, std::vector<std::uint8_t>& out) const;
  // The value as the column's index keys hold it, converted as encoding converts it:
  // the key holds what the row holds.
  JetKeyValue keyValue(const Value& value) const;

 private:
  Value decodeLongValue(const std::uint8_t* reference, std::size_t size,
                        const JetLongValueSource* longValues) const;
  [[noreturn]] void wrongValue() const;

  JetValueColumn column_;
  JetTextCodec text_;
  const JetKindFacts* kind_;
};

// One kind's codec: each function is null where the kind has no such direction. A
// codec's functions take the column's codec for the column's definition and the
// database's text codec.
struct JetKindCodec {
  // The value of a field's bytes (a fixed-width kind's width at least).
  Value (*decode)(const JetValueCodec& column, const std::uint8_t* bytes,
                  std::size_t size) = nullptr;
  // Fixed-width kinds: writes the value's width bytes at at.
  void (*store)(const JetValueCodec& column, const Value& value, std::uint8_t* at) = nullptr;
  // Text and Binary: appends the value's bytes.
  void (*append)(const JetValueCodec& column, const Value& value,
                 std::vector<std::uint8_t>& out) = nullptr;
  // Kinds an index key can hold: the value, not null, as a key holds it.
  JetKeyValue (*key)(const JetValueCodec& column, const Value& value) = nullptr;
  // Yes/No: the value's null-mask bit.
  bool (*bit)(const JetValueCodec& column, const Value& value) = nullptr;
};

// Each kind's codec, for the table of kinds (JetKinds.cpp).
namespace kind_codecs {
extern const JetKindCodec yesNo, byte, integer, longInteger, currency, single, doubleFloat,
    dateTime, binary, text, longValue, guid, decimal, complex, largeNumber, rawBytes;
}  // namespace kind_codecs

}  // namespace tiermend::data::jet
