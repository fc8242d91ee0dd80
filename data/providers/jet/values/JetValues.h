// Conversions of Jet's stored values to the provider's value forms, done on the raw
// bytes so that nothing is lost: little-endian numbers, currency and decimal digits.
// Dates (OLE Automation days) and GUIDs use data/value.
#pragma once

#include <cstdint>

#include "data/Value.h"

namespace tiermend::data::jet {

// Little-endian reads from raw row bytes.
std::int16_t readInt16(const std::uint8_t* bytes);
std::int32_t readInt32(const std::uint8_t* bytes);
std::int64_t readInt64(const std::uint8_t* bytes);
float readSingle(const std::uint8_t* bytes);
double readDouble(const std::uint8_t* bytes);

// A Currency value: a 64-bit count of ten-thousandths, as exact text with 4 decimals.
Decimal currencyFromUnits(std::int64_t units);

// A Jet 4 Decimal value: a sign byte (non-zero: negative) followed by an unsigned
// integer stored as four little-endian 32-bit words, the most significant word first.
// Exact text with scale decimals.
Decimal decimalFromBytes(const std::uint8_t* bytes17, int scale);

}  // namespace tiermend::data::jet
