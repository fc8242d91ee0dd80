// Binding one insert's values: each value's C type and buffer, and the SQL type of the
// column it goes to.
#include "data/providers/odbc/OdbcParameters.h"

#include <algorithm>
#include <variant>

#include "data/EngineError.h"
#include "data/providers/odbc/OdbcDiagnostics.h"

namespace tiermend::data::odbc {

namespace {

constexpr SQLSMALLINT kSqlServerTime = -154;

bool isCharType(SQLSMALLINT t) {
  return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR || t == SQL_WCHAR ||
         t == SQL_WVARCHAR || t == SQL_WLONGVARCHAR;
}

bool isBinaryType(SQLSMALLINT t) {
  return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY;
}

// Text always travels as UTF-16, so a character column gets the wide SQL type: the
// driver then never converts it through a narrow code page of its own choosing.
SQLSMALLINT wideOf(SQLSMALLINT t) {
  switch (t) {
    case SQL_CHAR:
      return SQL_WCHAR;
    case SQL_LONGVARCHAR:
      return SQL_WLONGVARCHAR;
    case SQL_VARCHAR:
      return SQL_WVARCHAR;
    default:
      return t;
  }
}

SQLULEN atLeastOne(std::size_t size) {
  return std::max<std::size_t>(size, 1);
}

// Fractions of a second are cut to what the column holds; a finer value would be
// refused by the driver as an overflow.
SQLUINTEGER fractionFor(int millisecond, SQLSMALLINT digits) {
  SQLUINTEGER nanoseconds = static_cast<SQLUINTEGER>(millisecond) * 1000000u;
  SQLUINTEGER unit = 1;
  for (int d = std::clamp<int>(digits, 0, 9); d < 9; ++d) unit *= 10;
  return nanoseconds / unit * unit;
}

class SlotBuilder {
 public:
  SlotBuilder(ParameterSet::Slot& slot, const ParameterTarget& target)
      : slot_(slot), target_(target) {
    slot_.sqlType = isCharType(target.sqlType) ? wideOf(target.sqlType) : target.sqlType;
    slot_.size = atLeastOne(target.size);
    slot_.digits = target.digits;
    slot_.columnSize = target.size;
  }

  void operator()(const Null&) {
    slot_.cType = isBinaryType(target_.sqlType) ? SQL_C_BINARY : SQL_C_CHAR;
    slot_.indicator = SQL_NULL_DATA;
  }
  void operator()(bool value) {
    slot_.cType = SQL_C_BIT;
    slot_.bit = value ? 1 : 0;
    slot_.indicator = sizeof slot_.bit;
  }
  void operator()(std::int64_t value) {
    slot_.cType = SQL_C_SBIGINT;
    slot_.integer = value;
    slot_.indicator = sizeof slot_.integer;
  }
  void operator()(double value) {
    slot_.cType = SQL_C_DOUBLE;
    slot_.real = value;
    slot_.indicator = sizeof slot_.real;
  }
  void operator()(const Decimal& value) {
    slot_.cType = SQL_C_CHAR;
    slot_.narrow = value.text;
    slot_.indicator = static_cast<SQLLEN>(slot_.narrow.size());
    if (isCharType(target_.sqlType)) slot_.size = atLeastOne(slot_.narrow.size());
  }
  void operator()(const DateTime& value) {
    if (target_.sqlType == SQL_TYPE_DATE) {
      slot_.cType = SQL_C_TYPE_DATE;
      slot_.date = {static_cast<SQLSMALLINT>(value.year), static_cast<SQLUSMALLINT>(value.month),
                    static_cast<SQLUSMALLINT>(value.day)};
      slot_.indicator = sizeof slot_.date;
    } else if (target_.sqlType == SQL_TYPE_TIME || target_.sqlType == kSqlServerTime) {
      slot_.cType = SQL_C_TYPE_TIME;
      slot_.sqlType = SQL_TYPE_TIME;
      slot_.time = {static_cast<SQLUSMALLINT>(value.hour), static_cast<SQLUSMALLINT>(value.minute),
                    static_cast<SQLUSMALLINT>(value.second)};
      slot_.indicator = sizeof slot_.time;
    } else {
      if (target_.sqlType != SQL_TYPE_TIMESTAMP && !isCharType(target_.sqlType)) {
        slot_.sqlType = SQL_TYPE_TIMESTAMP;
        slot_.size = 23;
        slot_.digits = 3;
      }
      slot_.cType = SQL_C_TYPE_TIMESTAMP;
      slot_.timestamp = {
          static_cast<SQLSMALLINT>(value.year),        static_cast<SQLUSMALLINT>(value.month),
          static_cast<SQLUSMALLINT>(value.day),        static_cast<SQLUSMALLINT>(value.hour),
          static_cast<SQLUSMALLINT>(value.minute),     static_cast<SQLUSMALLINT>(value.second),
          fractionFor(value.millisecond, slot_.digits)};
      slot_.indicator = sizeof slot_.timestamp;
    }
  }
  void operator()(const std::string& value) {
    slot_.cType = SQL_C_WCHAR;
    if (target_.sqlType == SQL_GUID) {
      // Both SQL Server and PostgreSQL read a GUID without its braces.
      std::string bare;
      for (char c : value)
        if (c != '{' && c != '}') bare += c;
      slot_.wide = toWide(bare);
    } else {
      slot_.wide = toWide(value);
    }
    slot_.indicator = static_cast<SQLLEN>(slot_.wide.size() * sizeof(SQLWCHAR));
    if (isCharType(target_.sqlType) || target_.sqlType == SQL_GUID)
      slot_.size = atLeastOne(slot_.wide.size());
  }
  void operator()(const Bytes& value) {
    slot_.cType = SQL_C_BINARY;
    slot_.bytes = value;
    slot_.indicator = static_cast<SQLLEN>(value.size());
    if (!isBinaryType(target_.sqlType)) slot_.sqlType = SQL_LONGVARBINARY;
    slot_.size = atLeastOne(value.size());
  }

 private:
  ParameterSet::Slot& slot_;
  const ParameterTarget& target_;
};

}  // namespace

SQLPOINTER ParameterSet::Slot::data() {
  static unsigned char empty = 0;
  switch (cType) {
    case SQL_C_BIT:
      return &bit;
    case SQL_C_SBIGINT:
      return &integer;
    case SQL_C_DOUBLE:
      return &real;
    case SQL_C_TYPE_DATE:
      return &date;
    case SQL_C_TYPE_TIME:
      return &time;
    case SQL_C_TYPE_TIMESTAMP:
      return &timestamp;
    case SQL_C_WCHAR:
      return wide.data();
    case SQL_C_BINARY:
      return bytes.empty() ? &empty : bytes.data();
    default:
      return narrow.data();
  }
}

SQLLEN ParameterSet::Slot::bufferLength() const {
  switch (cType) {
    case SQL_C_WCHAR:
      return static_cast<SQLLEN>(wide.size() * sizeof(SQLWCHAR));
    case SQL_C_BINARY:
      return static_cast<SQLLEN>(bytes.size());
    case SQL_C_CHAR:
      return static_cast<SQLLEN>(narrow.size());
    default:
      return 0;
  }
}

SQLLEN ParameterSet::Slot::valueBytes() const {
  switch (cType) {
    case SQL_C_BIT:
      return sizeof bit;
    case SQL_C_SBIGINT:
      return sizeof integer;
    case SQL_C_DOUBLE:
      return sizeof real;
    case SQL_C_TYPE_DATE:
      return sizeof date;
    case SQL_C_TYPE_TIME:
      return sizeof time;
    case SQL_C_TYPE_TIMESTAMP:
      return sizeof timestamp;
    default:
      return bufferLength();
  }
}

ParameterSet::ParameterSet(const std::vector<Value>& values,
                           const std::vector<ParameterTarget>& targets)
    : slots_(values.size()) {
  if (targets.size() != values.size())
    throw EngineError("The number of values does not match the number of columns");
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::visit(SlotBuilder(slots_[i], targets[i]), values[i]);
  }
}

void ParameterSet::bind(SQLHSTMT statement) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    Slot& slot = slots_[i];
    SQLRETURN rc = SQLBindParameter(statement, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                    slot.cType, slot.sqlType, slot.size, slot.digits, slot.data(),
                                    slot.bufferLength(), &slot.indicator);
    checkResult(rc, SQL_HANDLE_STMT, statement, "binding a value");
  }
}

}  // namespace tiermend::data::odbc
