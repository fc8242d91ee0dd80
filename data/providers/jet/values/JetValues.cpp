// Conversions of Jet's stored values.
#include "data/providers/jet/values/JetValues.h"

#include <cstring>

#include "data/value/DecimalText.h"

namespace tiermend::data::jet {

std::int16_t readInt16(const std::uint8_t* bytes) {
  return static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
}

std::int32_t readInt32(const std::uint8_t* bytes) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::int64_t readInt64(const std::uint8_t* bytes) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
  return static_cast<std::int64_t>(value);
}

float readSingle(const std::uint8_t* bytes) {
  const auto bits = static_cast<std::uint32_t>(readInt32(bytes));
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double readDouble(const std::uint8_t* bytes) {
  const auto bits = static_cast<std::uint64_t>(readInt64(bytes));
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

Decimal currencyFromUnits(std::int64_t units) {
  const bool negative = units < 0;
  // Negate through the unsigned type so that the most negative value stays exact.
  const std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(units) + 1 : static_cast<std::uint64_t>(units);
  return Decimal{decimalFromScaled(magnitude, 4, negative)};
}

Decimal decimalFromBytes(const std::uint8_t* bytes17, int scale) {
  const bool negative = bytes17[0] != 0;
  unsigned __int128 magnitude = 0;
  for (int word = 0; word < 4; ++word) {
    magnitude = magnitude << 32 | static_cast<std::uint32_t>(readInt32(bytes17 + 1 + 4 * word));
  }
  return Decimal{decimalFromScaled(magnitude, scale, negative)};
}

}  // namespace tiermend::data::jet
