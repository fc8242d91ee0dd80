// Reading one column value of the current row with SQLGetData: fixed-size values at once,
// text and bytes in chunks, dates and times from their structures.
#include "data/providers/odbc/OdbcValues.h"

#include <array>

#include "data/providers/odbc/OdbcDiagnostics.h"
#include "data/providers/odbc/OdbcText.h"
#include "data/value/AsciiText.h"
#include "data/value/DecimalText.h"
#include "data/value/GuidText.h"
#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

namespace {

constexpr std::size_t kChunkBytes = 8192;

// Reads a fixed-size value; returns false for NULL.
template <typename T>
bool readFixed(SQLHSTMT statement, SQLUSMALLINT number, SQLSMALLINT cType, T& value) {
  SQLLEN indicator = 0;
  SQLRETURN rc = SQLGetData(statement, number, cType, &value, sizeof value, &indicator);
  checkResult(rc, SQL_HANDLE_STMT, statement, "reading a column value");
  return indicator != SQL_NULL_DATA;
}

// Reads a variable-length value in chunks into `out` (bytes); returns false for NULL.
// Character data carries a terminator in each chunk, which is not kept.
bool readChunks(SQLHSTMT statement, SQLUSMALLINT number, SQLSMALLINT cType,
                std::size_t terminatorBytes, std::string& out) {
  std::array<char, kChunkBytes> chunk;
  const std::size_t usable = chunk.size() - terminatorBytes;
  for (;;) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(statement, number, cType, chunk.data(),
                              static_cast<SQLLEN>(chunk.size()), &indicator);
    if (rc == SQL_NO_DATA) return true;
    checkResult(rc, SQL_HANDLE_STMT, statement, "reading a column value");
    if (indicator == SQL_NULL_DATA) return false;
    bool whole = indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) <= usable;
    out.append(chunk.data(), whole ? static_cast<std::size_t>(indicator) : usable);
    if (rc == SQL_SUCCESS) return true;
  }
}

Value readText(SQLHSTMT statement, SQLUSMALLINT number) {
  std::string bytes;
  if (!readChunks(statement, number, SQL_C_WCHAR, sizeof(SQLWCHAR), bytes)) return Null{};
  return toUtf8(reinterpret_cast<const SQLWCHAR*>(bytes.data()), bytes.size() / sizeof(SQLWCHAR));
}

Value readBytes(SQLHSTMT statement, SQLUSMALLINT number) {
  std::string bytes;
  if (!readChunks(statement, number, SQL_C_BINARY, 0, bytes)) return Null{};
  return Bytes(bytes.begin(), bytes.end());
}

Value readNarrowText(SQLHSTMT statement, SQLUSMALLINT number, std::string& text) {
  return readChunks(statement, number, SQL_C_CHAR, 1, text) ? Value(text) : Value(Null{});
}

Value readDateTime(SQLHSTMT statement, SQLUSMALLINT number, ColumnType type) {
  SQL_TIMESTAMP_STRUCT ts{};
  if (type == ColumnType::Time) {
    // A time of day needs no date; the time structure avoids drivers that refuse to
    // widen a time to a time stamp. Fractions of a second are below what a time
    // column shows.
    SQL_TIME_STRUCT time{};
    if (!readFixed(statement, number, SQL_C_TYPE_TIME, time)) return Null{};
    return DateTime{1899, 12, 30, time.hour, time.minute, time.second, 0};
  }
  if (!readFixed(statement, number, SQL_C_TYPE_TIMESTAMP, ts)) return Null{};
  DateTime value{ts.year,
                 ts.month,
                 ts.day,
                 ts.hour,
                 ts.minute,
                 ts.second,
                 static_cast<int>(ts.fraction / 1000000)};
  if (type == ColumnType::Date) value.hour = value.minute = value.second = value.millisecond = 0;
  return value;
}

}  // namespace

std::string normalizedDecimal(std::string_view text) {
  const std::string_view trimmed = trimWhitespace(text);
  return canonicalDecimal(trimmed).value_or(std::string(trimmed));
}

Value readValue(SQLHSTMT statement, SQLUSMALLINT number, ColumnType type) {
  switch (type) {
    case ColumnType::Int8:
    case ColumnType::Int16:
    case ColumnType::Int32:
    case ColumnType::Int64:
    case ColumnType::UInt8:
    case ColumnType::UInt16:
    case ColumnType::UInt32: {
      SQLBIGINT value = 0;
      if (!readFixed(statement, number, SQL_C_SBIGINT, value)) return Null{};
      return static_cast<std::int64_t>(value);
    }
    case ColumnType::Single: {
      SQLREAL value = 0;
      if (!readFixed(statement, number, SQL_C_FLOAT, value)) return Null{};
      return static_cast<double>(value);
    }
    case ColumnType::Double: {
      SQLDOUBLE value = 0;
      if (!readFixed(statement, number, SQL_C_DOUBLE, value)) return Null{};
      return value;
    }
    case ColumnType::Currency:
    case ColumnType::Decimal: {
      std::string text;
      if (!readChunks(statement, number, SQL_C_CHAR, 1, text)) return Null{};
      return Decimal{normalizedDecimal(text)};
    }
    case ColumnType::DateTime:
    case ColumnType::Date:
    case ColumnType::Time:
      return readDateTime(statement, number, type);
    case ColumnType::Boolean: {
      unsigned char value = 0;
      if (!readFixed(statement, number, SQL_C_BIT, value)) return Null{};
      return value != 0;
    }
    case ColumnType::Guid: {
      std::string text;
      Value value = readNarrowText(statement, number, text);
      return isNull(value) ? value : Value(bracedGuidText(text));
    }
    case ColumnType::Blob:
    case ColumnType::Binary:
      return readBytes(statement, number);
    case ColumnType::Text:
    case ColumnType::Memo:
      return readText(statement, number);
  }
  return readText(statement, number);
}

}  // namespace tiermend::data::odbc
