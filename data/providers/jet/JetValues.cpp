// Conversions of Jet's stored values.
#include "data/providers/jet/JetValues.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace tiermend::data::jet {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (the well-known
// era-based algorithms, exact for every date in the years 1 to 9999).
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

const std::int64_t kJetEpoch = daysFromCivil(1899, 12, 30);

// Writes magnitude as decimal digits with scale of them after a point (at least one
// digit before it), led by "-" when negative and not zero.
std::string scaledDigits(unsigned __int128 magnitude, int scale, bool negative) {
  // Filled from the right: up to 39 digits or the scale's zeros and one more, a point
  // and a sign.
  const std::size_t size = static_cast<std::size_t>(scale > 0 ? scale : 0) + 42;
  char local[128];
  std::string spill;
  char* buffer = local;
  if (size > sizeof local) {
    spill.resize(size);
    buffer = spill.data();
  }
  char* const end = buffer + size;
  char* start = end;
  const bool isZero = magnitude == 0;
  const int width = scale > 0 ? scale + 1 : 1;  // digits to write at least
  for (int place = 0; magnitude != 0 || place < width; ++place) {
    if (scale > 0 && place == scale) *--start = '.';
    // Numbers that fit 64 bits are divided in 64 bits, which is much faster.
    unsigned digit;
    if (magnitude <= UINT64_MAX) {
      const auto small = static_cast<std::uint64_t>(magnitude);
      digit = static_cast<unsigned>(small % 10);
      magnitude = small / 10;
    } else {
      digit = static_cast<unsigned>(magnitude % 10);
      magnitude /= 10;
    }
    *--start = static_cast<char>('0' + digit);
  }
  if (negative && !isZero) *--start = '-';
  return std::string(start, static_cast<std::size_t>(end - start));
}

}  // namespace

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

std::optional<DateTime> dateTimeFromDays(double days) {
  // Years 1 to 9999 lie well inside +-3.7 million days; anything else is not a date.
  if (!std::isfinite(days) || std::fabs(days) > 4.0e6) return std::nullopt;
  const double wholeDays = std::trunc(days);
  const double fraction = std::fabs(days - wholeDays);
  auto dayNumber = static_cast<std::int64_t>(wholeDays);
  auto milliseconds = static_cast<std::int64_t>(std::llround(fraction * kMillisecondsPerDay));
  if (milliseconds >= kMillisecondsPerDay) {  // rounded up to the next midnight
    milliseconds -= kMillisecondsPerDay;
    ++dayNumber;
  }
  DateTime result;
  civilFromDays(kJetEpoch + dayNumber, result.year, result.month, result.day);
  if (result.year < 1 || result.year > 9999) return std::nullopt;
  result.hour = static_cast<int>(milliseconds / 3'600'000);
  result.minute = static_cast<int>(milliseconds / 60'000 % 60);
  result.second = static_cast<int>(milliseconds / 1000 % 60);
  result.millisecond = static_cast<int>(milliseconds % 1000);
  return result;
}

double daysFromDateTime(const DateTime& value) {
  const auto dayNumber =
      static_cast<double>(daysFromCivil(value.year, value.month, value.day) - kJetEpoch);
  const double time =
      ((value.hour * 60.0 + value.minute) * 60.0 + value.second + value.millisecond / 1000.0) /
      86400.0;
  return dayNumber < 0 ? dayNumber - time : dayNumber + time;
}

Decimal currencyFromUnits(std::int64_t units) {
  const bool negative = units < 0;
  // Negate through the unsigned type so that the most negative value stays exact.
  const std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(units) + 1 : static_cast<std::uint64_t>(units);
  return Decimal{scaledDigits(magnitude, 4, negative)};
}

Decimal decimalFromBytes(const std::uint8_t* bytes17, int scale) {
  const bool negative = bytes17[0] != 0;
  unsigned __int128 magnitude = 0;
  for (int word = 0; word < 4; ++word) {
    magnitude = magnitude << 32 | static_cast<std::uint32_t>(readInt32(bytes17 + 1 + 4 * word));
  }
  return Decimal{scaledDigits(magnitude, scale, negative)};
}

std::string guidFromBytes(const std::uint8_t* b) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<std::uint32_t>(readInt32(b)),
                static_cast<unsigned>(static_cast<std::uint16_t>(readInt16(b + 4))),
                static_cast<unsigned>(static_cast<std::uint16_t>(readInt16(b + 6))), b[8], b[9],
                b[10], b[11], b[12], b[13], b[14], b[15]);
  return text;
}

}  // namespace tiermend::data::jet
