// Refilling a multi-row statement's bound parameters, binding only where a value no
// longer fits.
#include "data/providers/odbc/OdbcParameterBlock.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "data/providers/odbc/OdbcDiagnostics.h"

namespace tiermend::data::odbc {

namespace {

// Room for a terminating zero after text, which some drivers look for.
constexpr std::size_t kTerminator = sizeof(SQLWCHAR);
// Columns of up to this many characters get room for all of them when first bound;
// longer ones (long text) get room for twice the first value.
constexpr SQLULEN kColumnRoom = 4000;
// A number written as text takes a sign and a decimal point beside its digits.
constexpr SQLULEN kNumberMarks = 2;

bool isWideText(SQLSMALLINT sqlType) {
  return sqlType == SQL_WCHAR || sqlType == SQL_WVARCHAR || sqlType == SQL_WLONGVARCHAR;
}

// The C type a column's values of this SQL type are bound with (see ParameterSet), for
// a parameter whose first values are all null.
SQLSMALLINT cTypeFor(SQLSMALLINT sqlType, SQLSMALLINT nullCType) {
  switch (sqlType) {
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return SQL_C_WCHAR;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      return SQL_C_SBIGINT;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return SQL_C_DOUBLE;
    default:
      return nullCType;
  }
}

// The room a parameter's buffer needs for values like this one, in bytes.
std::size_t roomFor(const ParameterSet::Slot& slot) {
  const auto bytes = static_cast<std::size_t>(std::max<SQLLEN>(slot.valueBytes(), 0));
  if (slot.cType == SQL_C_WCHAR || slot.cType == SQL_C_CHAR) {
    std::size_t room = 2 * bytes;
    if (slot.columnSize > 0 && slot.columnSize <= kColumnRoom) {
      const std::size_t characters =
          slot.cType == SQL_C_CHAR ? slot.columnSize + kNumberMarks : slot.columnSize;
      const std::size_t unit = slot.cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : 1;
      room = std::max(room, characters * unit);
    }
    return room + kTerminator;
  }
  if (slot.cType == SQL_C_BINARY) return 2 * bytes + kTerminator;
  return bytes + kTerminator;
}

}  // namespace

ParameterBlock::ParameterBlock(std::size_t count) : parameters_(count), indicators_(count, 0) {}

void ParameterBlock::load(SQLHSTMT statement, std::vector<ParameterSet>& rows) {
  std::size_t index = 0;
  for (ParameterSet& row : rows) {
    std::size_t column = 0;
    for (ParameterSet::Slot& slot : row.slots()) {
      if (index >= parameters_.size())
        throw std::logic_error("more values than the statement has parameters");
      Bound& parameter = parameters_[index];
      if (slot.isNull()) {
        // A null needs no buffer: whatever the parameter was bound to stays.
        if (!parameter.bound) bindForNull(statement, index, rows, column, slot);
        indicators_[index++] = SQL_NULL_DATA;
        ++column;
        continue;
      }
      ++column;
      const auto bytes = static_cast<std::size_t>(slot.valueBytes());
      const bool fits = parameter.bound && parameter.cType == slot.cType &&
                        parameter.sqlType == slot.sqlType && parameter.digits == slot.digits &&
                        slot.size <= parameter.size &&
                        bytes + kTerminator <= parameter.buffer.size();
      if (!fits) bind(statement, index, slot);
      std::memcpy(parameter.buffer.data(), slot.data(), bytes);
      std::memset(parameter.buffer.data() + bytes, 0, kTerminator);
      indicators_[index++] = slot.indicator;
    }
  }
  if (index != parameters_.size())
    throw std::logic_error("fewer values than the statement has parameters");
}

// Binds the parameter for values like this one: a text parameter gets room for as many
// characters as its column holds (a long text's, and a binary one, for twice this
// value), so that a longer one later fits as well. A text parameter is declared as long
// as its column, or as this value where that is longer: the server then refuses the
// value as too long rather than receiving it cut to the declared length.
void ParameterBlock::bind(SQLHSTMT statement, std::size_t index, const ParameterSet::Slot& slot) {
  Bound& parameter = parameters_[index];
  const bool sameTypes = parameter.bound && parameter.cType == slot.cType &&
                         parameter.sqlType == slot.sqlType && parameter.digits == slot.digits;
  parameter.bound = true;
  parameter.cType = slot.cType;
  parameter.sqlType = slot.sqlType;
  parameter.digits = slot.digits;
  SQLULEN size = slot.size;
  if (isWideText(slot.sqlType) && slot.columnSize > 0 && slot.columnSize <= kColumnRoom)
    size = std::max(size, slot.columnSize);
  parameter.size = sameTypes ? std::max(parameter.size, size) : size;
  const std::size_t room = roomFor(slot);
  if (parameter.buffer.size() < room) parameter.buffer.assign(room, 0);
  SQLRETURN rc = SQLBindParameter(
      statement, static_cast<SQLUSMALLINT>(index + 1), SQL_PARAM_INPUT, parameter.cType,
      parameter.sqlType, parameter.size, parameter.digits, parameter.buffer.data(),
      static_cast<SQLLEN>(parameter.buffer.size() - kTerminator), &indicators_[index]);
  ++bindings_;
  checkResult(rc, SQL_HANDLE_STMT, statement, "binding a value");
}

void ParameterBlock::bindForNull(SQLHSTMT statement, std::size_t index,
                                 const std::vector<ParameterSet>& rows, std::size_t column,
                                 const ParameterSet::Slot& slot) {
  for (const ParameterSet& row : rows) {
    const ParameterSet::Slot& other = row.slots().at(column);
    if (!other.isNull()) {
      bind(statement, index, other);
      return;
    }
  }
  ParameterSet::Slot typed = slot;
  typed.cType = cTypeFor(slot.sqlType, slot.cType);
  bind(statement, index, typed);
}

}  // namespace tiermend::data::odbc
