// Provider values to the bytes Jet stores for them: the inverse of JetValues. Each
// function throws EngineError, naming the column, for a value the column cannot hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/Value.h"

namespace tiermend::data::jet {

// Little-endian writes into raw row bytes.
void writeInt16(std::uint8_t* bytes, std::int16_t value);
void writeInt32(std::uint8_t* bytes, std::int32_t value);
void writeInt64(std::uint8_t* bytes, std::int64_t value);
void writeSingle(std::uint8_t* bytes, float value);
void writeDouble(std::uint8_t* bytes, double value);

// A Currency value as a 64-bit count of ten-thousandths, rounded half away from zero.
std::int64_t currencyUnits(const Value& value, const std::string& column);

// A Decimal value as Jet 4 stores it: a sign byte, then the unscaled integer as four
// little-endian 32-bit words, the most significant first. Rounded half away from zero
// to scale decimals; more than precision digits in all is refused.
void decimalBytes(const Value& value, int precision, int scale, const std::string& column,
                  std::uint8_t* bytes17);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional) as stored: the first three
// groups little-endian, the rest in order.
void guidBytes(const std::string& text, const std::string& column, std::uint8_t* bytes16);

}  // namespace tiermend::data::jet
