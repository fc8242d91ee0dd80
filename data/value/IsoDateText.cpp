// Formatting and reading ISO-8601 date and time text.
#include "data/value/IsoDateText.h"

#include <cstdio>

#include "data/value/Calendar.h"

namespace tiermend::data {
namespace {

// Reads exactly count digits at text[pos]; advances pos.
bool readDigits(std::string_view text, size_t& pos, size_t count, int& out) {
  if (pos + count > text.size()) return false;
  out = 0;
  for (size_t i = 0; i < count; ++i) {
    const char c = text[pos + i];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  pos += count;
  return true;
}

bool readExpected(std::string_view text, size_t& pos, char expected) {
  if (pos >= text.size() || text[pos] != expected) return false;
  ++pos;
  return true;
}

// ".fff..." at pos, cut to milliseconds; at least one digit.
bool readFraction(std::string_view text, size_t& pos, DateTime& out) {
  int scale = 100;
  size_t digits = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    out.millisecond += (text[pos] - '0') * scale;
    scale /= 10;
    ++pos;
    ++digits;
  }
  return digits != 0;
}

// "HH:MM[:SS[.fff...]]" starting at pos.
bool readTime(std::string_view text, size_t& pos, DateTime& out) {
  if (!readDigits(text, pos, 2, out.hour) || !readExpected(text, pos, ':') ||
      !readDigits(text, pos, 2, out.minute)) {
    return false;
  }
  if (pos < text.size() && text[pos] == ':') {
    ++pos;
    if (!readDigits(text, pos, 2, out.second)) return false;
    if (pos < text.size() && text[pos] == '.' && !readFraction(text, ++pos, out)) return false;
  }
  return out.hour < 24 && out.minute < 60 && out.second < 60;
}

bool readDate(std::string_view text, size_t& pos, DateTime& out) {
  if (!readDigits(text, pos, 4, out.year) || !readExpected(text, pos, '-') ||
      !readDigits(text, pos, 2, out.month) || !readExpected(text, pos, '-') ||
      !readDigits(text, pos, 2, out.day)) {
    return false;
  }
  return isValidDate(out.year, out.month, out.day);
}

}  // namespace

std::string formatIsoDateTime(const DateTime& value, ColumnType target) {
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", value.year, value.month, value.day);
  char time[20];
  if (value.millisecond != 0) {
    std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d", value.hour, value.minute, value.second,
                  value.millisecond);
  } else {
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", value.hour, value.minute, value.second);
  }
  if (target == ColumnType::Date) return date;
  if (target == ColumnType::Time) return time;
  return std::string(date) + " " + time;
}

std::optional<DateTime> parseIsoDateTime(std::string_view text) {
  DateTime value;
  size_t pos = 0;
  if (text.size() >= 3 && text[2] == ':') {
    if (!readTime(text, pos, value)) return std::nullopt;
  } else {
    if (!readDate(text, pos, value)) return std::nullopt;
    if (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T')) {
      ++pos;
      if (!readTime(text, pos, value)) return std::nullopt;
    }
  }
  if (pos < text.size() && text[pos] == 'Z') ++pos;
  if (pos != text.size()) return std::nullopt;
  return value;
}

}  // namespace tiermend::data
