// Values between SQLite's storage classes and the data layer's values.
#include "data/providers/sqlite/SqliteValues.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "data/EngineError.h"
#include "data/value/AsciiText.h"
#include "data/value/Calendar.h"
#include "data/value/DecimalText.h"
#include "data/value/GuidText.h"
#include "data/value/IsoDateText.h"

namespace tiermend::data::sqlite {
namespace {

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
  text = trimWhitespace(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
    return std::nullopt;
  return number;
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
    return Decimal{decimalOfDouble(sqlite3_column_double(statement, index))};
  const std::string text = storedText(statement, index);
  if (auto plain = canonicalDecimal(text)) return Decimal{*plain};
  if (auto number = doubleOf(text)) return Decimal{decimalOfDouble(*number)};
  refuseStored(statement, index, column, "decimal number");
}

Value readDate(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  std::optional<DateTime> value;
  if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
    value = dateTimeFromJulianDay(sqlite3_column_double(statement, index));
  } else {
    value = parseIsoDateTime(storedText(statement, index));
  }
  if (!value) refuseStored(statement, index, column, "date or time");
  return *value;
}

Value readBoolean(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
    return sqlite3_column_double(statement, index) != 0.0;
  }
  const std::string text = toLowerAscii(storedText(statement, index));
  if (text == "1" || text == "true" || text == "yes") return true;
  if (text == "0" || text == "false" || text == "no") return false;
  refuseStored(statement, index, column, "yes/no value");
}

Bytes readBytes(sqlite3_stmt* statement, int index) {
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, index));
  const int size = sqlite3_column_bytes(statement, index);
  return data ? Bytes(data, data + size) : Bytes();
}

Value readText(sqlite3_stmt* statement, int index, int storage, const ColumnInfo& column) {
  if (column.type == ColumnType::Guid && storage == SQLITE_BLOB) {
    Bytes bytes = readBytes(statement, index);
    if (bytes.size() == 16) return guidTextFromBytes(bytes.data());
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
    if (auto text = shortDecimalOfDouble(sqlite3_column_double(statement, index), buffer)) {
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
    const std::string text = formatIsoDateTime(*date, target);
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

}  // namespace tiermend::data::sqlite
