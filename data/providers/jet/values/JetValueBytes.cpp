// Encoding provider values in Jet's stored forms.
#include "data/providers/jet/values/JetValueBytes.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "data/EngineError.h"
#include "data/value/DecimalText.h"
#include "data/value/GuidText.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void badValue(const std::string& text, const std::string& column) {
  throw EngineError("The value '" + text + "' cannot be stored in field '" + column + "'.");
}

struct ScaledInteger {
  unsigned __int128 magnitude = 0;
  bool negative = false;
  int digits = 0;  // significant digits of magnitude
};

int digitCount(unsigned __int128 value) {
  int count = 0;
  while (value != 0) {
    value /= 10;
    ++count;
  }
  return count;
}

// Decimal text ("-12.345") as an integer count of 10^-scale units, rounded half away
// from zero. Refuses anything but optional sign, digits and one point, and values of
// more than 38 digits.
ScaledInteger scaleDecimalText(const std::string& text, int scale, const std::string& column) {
  ScaledInteger result;
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) result.negative = text[at++] == '-';
  bool sawDigit = false;
  bool sawPoint = false;
  int decimals = 0;
  bool roundUp = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '.' && !sawPoint) {
      sawPoint = true;
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(c))) badValue(text, column);
    sawDigit = true;
    if (sawPoint && decimals >= scale) {
      // The first dropped digit decides the rounding; the rest only need to be digits.
      if (decimals++ == scale) roundUp = c >= '5';
      continue;
    }
    if (sawPoint) ++decimals;
    if (result.magnitude > (~static_cast<unsigned __int128>(0)) / 100) badValue(text, column);
    result.magnitude = result.magnitude * 10 + static_cast<unsigned>(c - '0');
  }
  if (decimals > scale) decimals = scale;
  if (!sawDigit) badValue(text, column);
  for (; decimals < scale; ++decimals) {
    if (result.magnitude > (~static_cast<unsigned __int128>(0)) / 100) badValue(text, column);
    result.magnitude *= 10;
  }
  if (roundUp) ++result.magnitude;
  result.digits = digitCount(result.magnitude);
  if (result.digits > 38) badValue(text, column);
  return result;
}

std::string textOf(const Value& value) {
  if (const auto* decimal = std::get_if<Decimal>(&value)) return decimal->text;
  if (const auto* whole = std::get_if<std::int64_t>(&value)) return std::to_string(*whole);
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<double>(&value)) {
    return std::isfinite(*number) ? decimalOfDouble(*number) : std::string("nan");
  }
  return {};
}

}  // namespace

void writeInt16(std::uint8_t* bytes, std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  bytes[0] = static_cast<std::uint8_t>(bits);
  bytes[1] = static_cast<std::uint8_t>(bits >> 8);
}

void writeInt32(std::uint8_t* bytes, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void writeInt64(std::uint8_t* bytes, std::int64_t value) {
  const auto bits = static_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void writeSingle(std::uint8_t* bytes, float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  writeInt32(bytes, static_cast<std::int32_t>(bits));
}

void writeDouble(std::uint8_t* bytes, double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  writeInt64(bytes, static_cast<std::int64_t>(bits));
}

std::int64_t currencyUnits(const Value& value, const std::string& column) {
  const std::string text = textOf(value);
  const ScaledInteger scaled = scaleDecimalText(text, 4, column);
  const unsigned __int128 limit =
      static_cast<unsigned __int128>(INT64_MAX) + (scaled.negative ? 1 : 0);
  if (scaled.magnitude > limit) badValue(text, column);
  if (scaled.negative) {
    return static_cast<std::int64_t>(~static_cast<std::uint64_t>(scaled.magnitude) + 1);
  }
  return static_cast<std::int64_t>(scaled.magnitude);
}

void decimalBytes(const Value& value, int precision, int scale, const std::string& column,
                  std::uint8_t* bytes17) {
  const std::string text = textOf(value);
  const ScaledInteger scaled = scaleDecimalText(text, scale, column);
  if (scaled.digits > precision) badValue(text, column);
  bytes17[0] = scaled.negative && scaled.magnitude != 0 ? 0x80 : 0x00;
  for (int word = 0; word < 4; ++word) {
    const auto part = static_cast<std::uint32_t>(scaled.magnitude >> (32 * (3 - word)));
    writeInt32(bytes17 + 1 + 4 * word, static_cast<std::int32_t>(part));
  }
}

void guidBytes(const std::string& text, const std::string& column, std::uint8_t* bytes16) {
  if (!guidBytesFromText(text, bytes16)) badValue(text, column);
}

}  // namespace tiermend::data::jet
