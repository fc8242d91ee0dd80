// A column value as the providers hand it over and take it back. Text is UTF-8 here;
// the fields convert it to and from the ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tiermend::data {

struct Null {
  bool operator==(const Null&) const = default;
};

// An exact decimal number as text: optional "-", digits, optional "." and digits.
// Currency and decimal columns travel in this form so that no digit is lost.
struct Decimal {
  std::string text;
  bool operator==(const Decimal&) const = default;
};

// A calendar date and time of day (proleptic Gregorian, years 1 to 9999). A date-only
// value has a zero time; a time-only value has the date 1899-12-30.
struct DateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  bool operator==(const DateTime&) const = default;
};

using Bytes = std::vector<std::uint8_t>;

// Integer columns of every width travel as int64_t, floating ones as double,
// text and GUIDs ("{XXXXXXXX-XXXX-...}") as UTF-8 std::string, binary as Bytes.
using Value = std::variant<Null, bool, std::int64_t, double, Decimal, DateTime, std::string, Bytes>;

inline bool isNull(const Value& value) {
  return std::holds_alternative<Null>(value);
}

}  // namespace tiermend::data
