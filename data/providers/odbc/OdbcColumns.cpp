// Asking the driver about each column of a result, and mapping its SQL type, size and
// flags to the column kind the rest of the program sees.
#include "data/providers/odbc/OdbcColumns.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "data/providers/odbc/OdbcDiagnostics.h"
#include "data/providers/odbc/OdbcText.h"
#include "data/value/AsciiText.h"

namespace tiermend::data::odbc {

namespace {

// SQL Server's time type as FreeTDS and Microsoft's drivers report it.
constexpr SQLSMALLINT kSqlServerTime = -154;

SQLLEN numericAttribute(SQLHSTMT statement, SQLUSMALLINT number, SQLUSMALLINT field) {
  SQLLEN value = 0;
  SQLRETURN rc = SQLColAttributeW(statement, number, field, nullptr, 0, nullptr, &value);
  return SQL_SUCCEEDED(rc) ? value : 0;
}

std::string textAttribute(SQLHSTMT statement, SQLUSMALLINT number, SQLUSMALLINT field) {
  std::vector<SQLWCHAR> buffer(512, 0);
  SQLSMALLINT bytes = 0;
  SQLRETURN rc =
      SQLColAttributeW(statement, number, field, buffer.data(),
                       static_cast<SQLSMALLINT>(buffer.size() * sizeof(SQLWCHAR)), &bytes, nullptr);
  if (!SQL_SUCCEEDED(rc)) return {};
  std::size_t length = std::min<std::size_t>(bytes / sizeof(SQLWCHAR), buffer.size() - 1);
  return toUtf8(buffer.data(), length);
}

int clampedSize(SQLULEN size) {
  return size > INT_MAX ? 0 : static_cast<int>(size);
}

ColumnType integerType(SQLSMALLINT sqlType, bool isUnsigned) {
  switch (sqlType) {
    case SQL_TINYINT:
      return isUnsigned ? ColumnType::UInt8 : ColumnType::Int8;
    case SQL_SMALLINT:
      return isUnsigned ? ColumnType::UInt16 : ColumnType::Int16;
    case SQL_INTEGER:
      return isUnsigned ? ColumnType::UInt32 : ColumnType::Int32;
    default:
      return ColumnType::Int64;
  }
}

void describeText(ColumnInfo& info, const ColumnDescription& d, const DriverTraits& traits) {
  bool wide = d.sqlType == SQL_WCHAR || d.sqlType == SQL_WVARCHAR || d.sqlType == SQL_WLONGVARCHAR;
  bool isLong = d.sqlType == SQL_LONGVARCHAR || d.sqlType == SQL_WLONGVARCHAR;
  info.unicode = wide;
  if (traits.longTextIsOrdinaryText) {
    bool unbounded =
        isLong || toLowerAscii(d.typeName) == "text" || d.size >= traits.unboundedTextSize;
    info.type = ColumnType::Text;
    info.size = unbounded ? 0 : clampedSize(d.size);
    return;
  }
  info.type = isLong ? ColumnType::Memo : ColumnType::Text;
  info.size = isLong ? 0 : clampedSize(d.size);
}

// The SQL types that are one column type whatever the driver says of their size.
std::optional<ColumnType> singleColumnType(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_REAL:
      return ColumnType::Single;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return ColumnType::Double;
    case SQL_TYPE_DATE:
      return ColumnType::Date;
    case SQL_TYPE_TIME:
    case kSqlServerTime:
      return ColumnType::Time;
    case SQL_TYPE_TIMESTAMP:
      return ColumnType::DateTime;
    case SQL_BIT:
      return ColumnType::Boolean;
    case SQL_LONGVARBINARY:
      return ColumnType::Blob;
    case SQL_GUID:
      return ColumnType::Guid;
    default:
      return std::nullopt;
  }
}

// The SQL types whose column type depends on their size, sign or type name.
void describeSized(ColumnInfo& info, const ColumnDescription& d, const std::string& typeName,
                   const DriverTraits& traits) {
  switch (d.sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      describeText(info, d, traits);
      return;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      info.type = integerType(d.sqlType, d.isUnsigned);
      return;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      info.type = typeName == "money" || typeName == "smallmoney" ? ColumnType::Currency
                                                                  : ColumnType::Decimal;
      info.precision = static_cast<int>(d.precision > 0 ? d.precision : d.size);
      info.scale = d.digits;
      return;
    case SQL_BINARY:
    case SQL_VARBINARY:
      info.type = ColumnType::Binary;
      info.size = clampedSize(d.size);
      return;
    default:
      // Anything else (intervals, XML, variants, driver-specific types) travels as text.
      info.type = ColumnType::Text;
      info.unicode = true;
      info.size = 0;
      return;
  }
}

}  // namespace

ColumnDescription describeColumn(SQLHSTMT statement, SQLUSMALLINT number) {
  ColumnDescription d;
  SQLWCHAR name[512] = {};
  SQLSMALLINT nameLength = 0;
  SQLSMALLINT nullable = 0;
  SQLRETURN rc = SQLDescribeColW(statement, number, name, static_cast<SQLSMALLINT>(std::size(name)),
                                 &nameLength, &d.sqlType, &d.size, &d.digits, &nullable);
  checkResult(rc, SQL_HANDLE_STMT, statement, "describing a result column");
  d.name = toUtf8(name, std::min<std::size_t>(nameLength, std::size(name) - 1));
  d.precision = numericAttribute(statement, number, SQL_DESC_PRECISION);
  d.isUnsigned = numericAttribute(statement, number, SQL_DESC_UNSIGNED) == SQL_TRUE;
  d.autoUnique = numericAttribute(statement, number, SQL_DESC_AUTO_UNIQUE_VALUE) == SQL_TRUE;
  d.readOnly = numericAttribute(statement, number, SQL_DESC_UPDATABLE) == SQL_ATTR_READONLY;
  d.typeName = textAttribute(statement, number, SQL_DESC_TYPE_NAME);
  d.baseTable = textAttribute(statement, number, SQL_DESC_BASE_TABLE_NAME);
  if (d.baseTable.empty()) d.baseTable = textAttribute(statement, number, SQL_DESC_TABLE_NAME);
  return d;
}

std::vector<ColumnDescription> describeResult(SQLHSTMT statement) {
  SQLSMALLINT count = 0;
  SQLRETURN rc = SQLNumResultCols(statement, &count);
  checkResult(rc, SQL_HANDLE_STMT, statement, "counting result columns");
  std::vector<ColumnDescription> descriptions;
  for (SQLSMALLINT i = 1; i <= count; ++i)
    descriptions.push_back(describeColumn(statement, static_cast<SQLUSMALLINT>(i)));
  return descriptions;
}

ColumnInfo toColumnInfo(const ColumnDescription& d, const DriverTraits& traits) {
  ColumnInfo info;
  info.name = d.name;
  info.autoIncrement = d.autoUnique;
  info.updatable = !d.readOnly;
  info.unicode = false;
  const std::string typeName = toLowerAscii(d.typeName);
  if (typeName == "bool" || typeName == "boolean") {
    // psqlODBC reports booleans as characters unless told otherwise.
    info.type = ColumnType::Boolean;
  } else if (std::optional<ColumnType> type = singleColumnType(d.sqlType)) {
    info.type = *type;
  } else {
    describeSized(info, d, typeName, traits);
  }
  return info;
}

}  // namespace tiermend::data::odbc
