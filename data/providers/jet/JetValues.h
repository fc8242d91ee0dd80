// Conversions of Jet's stored values to the provider's value forms, done on the raw
// bytes so that nothing is lost: dates before 1900, currency and decimal digits,
// GUIDs in registry form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "data/Value.h"

namespace tiermend::data::jet {

// Little-endian reads from raw row bytes.
std::int16_t readInt16(const std::uint8_t* bytes);
std::int32_t readInt32(const std::uint8_t* bytes);
std::int64_t readInt64(const std::uint8_t* bytes);
float readSingle(const std::uint8_t* bytes);
double readDouble(const std::uint8_t* bytes);

// A Date/Time value: days since 1899-12-30. A negative value counts whole days back
// from that date and its fraction is the time of day with a negative sign, so -1.75 is
// 1899-12-29 18:00. The time is rounded to the nearest millisecond. Empty for a value
// outside the years 1 to 9999 (or not a number).
std::optional<DateTime> dateTimeFromDays(double days);

// The inverse, used to check conversions: days since 1899-12-30 for a DateTime.
double daysFromDateTime(const DateTime& value);

// A Currency value: a 64-bit count of ten-thousandths, as exact text with 4 decimals.
Decimal currencyFromUnits(std::int64_t units);

// A Jet 4 Decimal value: a sign byte (non-zero: negative) followed by an unsigned
// integer stored as four little-endian 32-bit words, the most significant word first.
// Exact text with scale decimals.
Decimal decimalFromBytes(const std::uint8_t* bytes17, int scale);

// A Replication ID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case: the first
// three groups are little-endian integers, the last two the bytes in stored order.
std::string guidFromBytes(const std::uint8_t* bytes16);

}  // namespace tiermend::data::jet
