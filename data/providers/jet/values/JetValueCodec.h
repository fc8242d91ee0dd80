// One codec per fixed-width column kind, both directions side by side: the bytes a row
// holds for a value, and the value a row's bytes hold. The reader, the row packer and
// the check after writing all go through here, so what is written and what is read
// back agree by construction. Text and long values are in JetText and JetValueBytes.
#pragma once

#include <cstdint>
#include <string>

#include "data/Value.h"

namespace tiermend::data::jet {

// The value of a fixed-width kind (JetKind) from its fixedValueWidth(kind) bytes. scale
// is a Decimal column's. Throws EngineError naming column for a date out of range.
Value decodeFixedValue(int kind, int scale, const std::uint8_t* bytes, const std::string& column);

// Writes value into the fixedValueWidth(kind) bytes at at. Throws EngineError naming
// column for a value of another kind, out of range, or with more digits than precision.
void encodeFixedValue(int kind, int precision, int scale, const Value& value,
                      const std::string& column, std::uint8_t* at);

// A Yes/No value is its null-mask bit: true for Yes. Yes/No cannot be null: null is No;
// a number is Yes when not 0. Throws EngineError naming column for other values.
bool encodeYesNo(const Value& value, const std::string& column);

}  // namespace tiermend::data::jet
