// Values between SQLite's storage classes and the data layer's values.
#include "data/providers/sqlite/SqliteValues.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "data/EngineError.h"

namespace tiermend::data::sqlite {
namespace {

constexpr long long kMillisecondsPerDay = 86400000LL;
constexpr double kJulianDayOfUnixEpoch = 2440587.5;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long long daysFromCivil(long long year, int month, int day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(long long days, DateTime& out) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthIndex = (5 * dayOfYear + 2) / 153;
  out.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  out.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  out.year = static_cast<int>(yearOfEra + era * 400 + (out.month <= 2));
}

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

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

// "HH:MM[:SS[.fff...]]" starting at pos; the fraction is cut to milliseconds.
bool readTime(std::string_view text, size_t& pos, DateTime& out) {
  if (!readDigits(text, pos, 2, out.hour) || !readExpected(text, pos, ':') ||
      !readDigits(text, pos, 2, out.minute)) {
    return false;
  }
  if (pos < text.size() && text[pos] == ':') {
    ++pos;
    if (!readDigits(text, pos, 2, out.second)) return false;
    if (pos < text.size() && text[pos] == '.') {
      ++pos;
      int scale = 100;
      size_t digits = 0;
      while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        out.millisecond += (text[pos] - '0') * scale;
        scale /= 10;
        ++pos;
        ++digits;
      }
      if (digits == 0) return false;
    }
  }
  return out.hour < 24 && out.minute < 60 && out.second < 60;
}

bool readDate(std::string_view text, size_t& pos, DateTime& out) {
  if (!readDigits(text, pos, 4, out.year) || !readExpected(text, pos, '-') ||
      !readDigits(text, pos, 2, out.month) || !readExpected(text, pos, '-') ||
      !readDigits(text, pos, 2, out.day)) {
    return false;
  }
  return out.year >= 1 && out.month >= 1 && out.month <= 12 && out.day >= 1 &&
         out.day <= daysInMonth(out.year, out.month);
}

std::string storedText(sqlite3_stmt* statement, int index) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, index)))
              : std::string();
}

[[noreturn]] void refuseStored(sqlite3_stmt* statement, int index, const ColumnInfo& column,
                               const char* what) {
  throw EngineError("The value '" + storedText(statement, index) + "' in column '" + column.name +
                    "' is not a valid " + what);
}

std::optional<std::int64_t> wholeNumberOf(std::string_view text) {
  std::int64_t number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

// Reads a number written with "." whatever the process locale says (strtod would follow
// LC_NUMERIC, and the application sets the locale from the environment). Blanks around
// it and a leading "+" are allowed, as SQLite allows them in numeric text.
std::optional<double> doubleOf(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
    return std::nullopt;
  return number;
}

// Below this magnitude a double's spacing is under 1e-4, so at most one number of four
// or fewer decimals reads back as it.
constexpr double kShortFormLimit = 1e11;
constexpr int kShortFormDecimals = 4;
constexpr double kShortFormScale = 1e4;

using ShortDecimalBuffer = char[32];

// The text of a number that reads back as exactly this double with at most four
// decimals, the fewest that do; nothing when there is none (or the number is too
// large to tell quickly). A quotient of two exact doubles is rounded correctly, just as
// reading the decimal text is, so the test below is the read-back itself. A number of
// fewer decimals is the same quotient with zeros added, so one test covers them all.

std::optional<std::string_view> shortDecimalTextOf(double number, ShortDecimalBuffer& buffer) {
  if (number == 0 || !(std::fabs(number) < kShortFormLimit)) return std::nullopt;
  const double scaled = std::nearbyint(number * kShortFormScale);
  if (scaled / kShortFormScale != number) return std::nullopt;
  const auto units = static_cast<long long>(scaled);
  unsigned long long rest = units < 0 ? 0ULL - static_cast<unsigned long long>(units) : units;
  int decimals = kShortFormDecimals;
  while (decimals > 0 && rest % 10 == 0) {
    rest /= 10;
    --decimals;
  }
  // The digits from the right, the point put in on the way.
  char* const end = buffer + sizeof buffer;
  char* start = end;
  for (int place = 0; rest != 0 || place <= decimals; ++place) {
    if (place == decimals && decimals > 0) *--start = '.';
    *--start = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  if (units < 0) *--start = '-';
  return std::string_view(start, static_cast<size_t>(end - start));
}

// The shortest plain decimal text (no exponent) that reads back as this double.
std::string decimalTextOf(double number) {
  ShortDecimalBuffer shortText;
  if (auto text = shortDecimalTextOf(number, shortText)) return std::string(*text);
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

// Plain decimal text ("-12.50", "+3", ".5", "007") in the Decimal form, or nullopt.
std::optional<std::string> plainDecimal(std::string_view text) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  std::string whole;
  std::string fraction;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c >= '0' && c <= '9') {
      (point ? fraction : whole).push_back(c);
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (whole.empty() && fraction.empty()) return std::nullopt;
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  if (whole.empty()) whole.push_back('0');
  std::string result;
  if (negative) result.push_back('-');
  result += whole;
  if (!fraction.empty()) {
    result.push_back('.');
    result += fraction;
  }
  return result;
}

Value readWholeNumber(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  if (storage == SQLITE_INTEGER) return std::int64_t{sqlite3_column_int64(statement, index)};
  if (storage == SQLITE_FLOAT) {
    const double number = sqlite3_column_double(statement, index);
    if (std::trunc(number) == number && std::fabs(number) < 9.2e18) {
      return static_cast<std::int64_t>(number);
    }
  } else if (auto number = wholeNumberOf(storedText(statement, index))) {
    return *number;
  }
  refuseStored(statement, index, column, "whole number");
}

Value readFloating(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
    return sqlite3_column_double(statement, index);
  }
  if (auto number = doubleOf(storedText(statement, index))) return *number;
  refuseStored(statement, index, column, "floating point number");
}

Value readDecimal(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  if (storage == SQLITE_INTEGER) {
    return Decimal{std::to_string(sqlite3_column_int64(statement, index))};
  }
  if (storage == SQLITE_FLOAT)
    return Decimal{decimalTextOf(sqlite3_column_double(statement, index))};
  const std::string text = storedText(statement, index);
  if (auto plain = plainDecimal(text)) return Decimal{*plain};
  if (auto number = doubleOf(text)) return Decimal{decimalTextOf(*number)};
  refuseStored(statement, index, column, "decimal number");
}

Value readDate(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  std::optional<DateTime> value;
  if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
    value = dateTimeFromJulianDay(sqlite3_column_double(statement, index));
  } else {
    value = parseDateTime(storedText(statement, index));
  }
  if (!value) refuseStored(statement, index, column, "date or time");
  return *value;
}

Value readBoolean(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
    return sqlite3_column_double(statement, index) != 0.0;
  }
  std::string text = storedText(statement, index);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (text == "1" || text == "true" || text == "yes") return true;
  if (text == "0" || text == "false" || text == "no") return false;
  refuseStored(statement, index, column, "yes/no value");
}

Bytes readBytes(sqlite3_stmt* statement, int index) {
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, index));
  const int size = sqlite3_column_bytes(statement, index);
  return data ? Bytes(data, data + size) : Bytes();
}

// A GUID stored as 16 bytes is shown in the registry form, its first three groups
// little-endian as Windows lays them out.
std::string guidText(const Bytes& bytes) {
  char text[40];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", bytes[3],
                bytes[2], bytes[1], bytes[0], bytes[5], bytes[4], bytes[7], bytes[6], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

Value readText(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  if (column.type == ColumnType::Guid && storage == SQLITE_BLOB) {
    Bytes bytes = readBytes(statement, index);
    if (bytes.size() == 16) return guidText(bytes);
  }
  return storedText(statement, index);
}

// The significant digits of plain decimal text, leading and trailing zeros left out.
size_t significantDigits(std::string_view text) {
  size_t count = 0;      // digits from the first non-zero one on
  size_t untilLast = 0;  // of those, the ones up to the last non-zero one
  for (char c : text) {
    if (c < '0' || c > '9') continue;
    if (count == 0 && c == '0') continue;
    ++count;
    if (c != '0') untilLast = count;
  }
  return untilLast;
}

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The double that plain decimal text reads as.
double doubleOfPlain(std::string_view text) {
  // Up to 15 digits with at most 22 decimals: the digits as a whole number and the
  // power of ten are exact doubles, and their quotient is rounded correctly, the
  // same as reading the text.
  const bool negative = !text.empty() && text[0] == '-';
  std::string_view digits = negative ? text.substr(1) : text;
  const size_t point = digits.find('.');
  if (point != std::string_view::npos && digits.size() - point - 1 <= 22) {
    long long whole = 0;
    size_t count = 0;
    bool plain = point > 0 && point + 1 < digits.size();
    for (size_t i = 0; plain && i < digits.size(); ++i) {
      if (i == point) continue;
      const char c = digits[i];
      if (c < '0' || c > '9') plain = false;
      if (whole != 0 || c != '0') ++count;
      whole = whole * 10 + (c - '0');
      if (count > 15) plain = false;
    }
    if (plain) {
      const double number =
          static_cast<double>(whole) / kExactPowersOfTen[digits.size() - point - 1];
      return negative ? -number : number;
    }
  }
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc() && end == text.data() + text.size()) return number;
  return doubleOf(text).value_or(0.0);
}

int bindDecimal(sqlite3_stmt* statement, int position, const std::string& text) {
  std::string_view trimmed = text;
  bool hasPoint = trimmed.find('.') != std::string_view::npos;
  if (hasPoint) {
    while (trimmed.back() == '0') trimmed.remove_suffix(1);
    if (trimmed.back() == '.') {
      trimmed.remove_suffix(1);
      hasPoint = trimmed.find('.') != std::string_view::npos;
    }
  }
  if (!hasPoint) {
    if (auto whole = wholeNumberOf(trimmed)) return sqlite3_bind_int64(statement, position, *whole);
  } else if (significantDigits(trimmed) <= 15) {
    return sqlite3_bind_double(statement, position, doubleOfPlain(trimmed));
  }
  return sqlite3_bind_text(statement, position, text.c_str(), static_cast<int>(text.size()),
                           SQLITE_TRANSIENT);
}

// The value of a result column whose storage class is known.
Value readStored(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  if (storage == SQLITE_NULL) return Null{};
  switch (column.type) {
    case ColumnType::Int8:
    case ColumnType::Int16:
    case ColumnType::Int32:
    case ColumnType::Int64:
    case ColumnType::UInt8:
    case ColumnType::UInt16:
    case ColumnType::UInt32:
      return readWholeNumber(statement, index, storage, column);
    case ColumnType::Single:
    case ColumnType::Double:
      return readFloating(statement, index, storage, column);
    case ColumnType::Currency:
    case ColumnType::Decimal:
      return readDecimal(statement, index, storage, column);
    case ColumnType::DateTime:
    case ColumnType::Date:
    case ColumnType::Time:
      return readDate(statement, index, storage, column);
    case ColumnType::Boolean:
      return readBoolean(statement, index, storage, column);
    case ColumnType::Blob:
    case ColumnType::Binary:
      return readBytes(statement, index);
    case ColumnType::Text:
    case ColumnType::Memo:
    case ColumnType::Guid:
      return readText(statement, index, storage, column);
  }
  return storedText(statement, index);
}

}  // namespace

Value readValue(sqlite3_stmt* statement, int index, const ColumnInfo& column) {
  return readStored(statement, index, sqlite3_column_type(statement, index), column);
}

void readValueInto(sqlite3_stmt* statement, int index, const ColumnInfo& column, Value& target) {
  const int storage = sqlite3_column_type(statement, index);
  if (storage == SQLITE_FLOAT &&
      (column.type == ColumnType::Currency || column.type == ColumnType::Decimal)) {
    ShortDecimalBuffer buffer;
    if (auto text = shortDecimalTextOf(sqlite3_column_double(statement, index), buffer)) {
      if (auto* decimal = std::get_if<Decimal>(&target)) {
        decimal->text.assign(*text);
      } else {
        target = Decimal{std::string(*text)};
      }
      return;
    }
  }
  target = readStored(statement, index, storage, column);
}

void bindValue(sqlite3_stmt* statement, int position, const Value& value, ColumnType target) {
  int rc = SQLITE_OK;
  if (std::holds_alternative<Null>(value)) {
    rc = sqlite3_bind_null(statement, position);
  } else if (auto* flag = std::get_if<bool>(&value)) {
    rc = sqlite3_bind_int(statement, position, *flag ? 1 : 0);
  } else if (auto* whole = std::get_if<std::int64_t>(&value)) {
    rc = sqlite3_bind_int64(statement, position, *whole);
  } else if (auto* floating = std::get_if<double>(&value)) {
    rc = sqlite3_bind_double(statement, position, *floating);
  } else if (auto* decimal = std::get_if<Decimal>(&value)) {
    rc = bindDecimal(statement, position, decimal->text);
  } else if (auto* date = std::get_if<DateTime>(&value)) {
    const std::string text = formatDateTime(*date, target);
    rc = sqlite3_bind_text(statement, position, text.c_str(), static_cast<int>(text.size()),
                           SQLITE_TRANSIENT);
  } else if (auto* text = std::get_if<std::string>(&value)) {
    rc = sqlite3_bind_text(statement, position, text->c_str(), static_cast<int>(text->size()),
                           SQLITE_TRANSIENT);
  } else if (auto* bytes = std::get_if<Bytes>(&value)) {
    // An empty blob bound through a null pointer would become NULL; zeroblob keeps it.
    rc = bytes->empty() ? sqlite3_bind_zeroblob(statement, position, 0)
                        : sqlite3_bind_blob(statement, position, bytes->data(),
                                            static_cast<int>(bytes->size()), SQLITE_TRANSIENT);
  }
  if (rc != SQLITE_OK) throw EngineError(sqlite3_errmsg(sqlite3_db_handle(statement)));
}

std::string formatDateTime(const DateTime& value, ColumnType target) {
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

std::optional<DateTime> parseDateTime(std::string_view text) {
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

std::optional<DateTime> dateTimeFromJulianDay(double julianDay) {
  const double milliseconds = (julianDay - kJulianDayOfUnixEpoch) * kMillisecondsPerDay;
  if (!std::isfinite(milliseconds)) return std::nullopt;
  const double earliest = static_cast<double>(daysFromCivil(1, 1, 1)) * kMillisecondsPerDay;
  const double latest = static_cast<double>(daysFromCivil(10000, 1, 1)) * kMillisecondsPerDay;
  if (milliseconds < earliest || milliseconds >= latest) return std::nullopt;
  const long long total = std::llround(milliseconds);
  long long days = total / kMillisecondsPerDay;
  long long rest = total % kMillisecondsPerDay;
  if (rest < 0) {
    rest += kMillisecondsPerDay;
    --days;
  }
  DateTime value;
  civilFromDays(days, value);
  value.hour = static_cast<int>(rest / 3600000);
  value.minute = static_cast<int>(rest / 60000 % 60);
  value.second = static_cast<int>(rest / 1000 % 60);
  value.millisecond = static_cast<int>(rest % 1000);
  return value;
}

}  // namespace tiermend::data::sqlite
