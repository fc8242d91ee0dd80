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

}  // namespace

ParameterBlock::ParameterBlock(std::size_t count) : parameters_(count), indicators_(count, 0) {}

void ParameterBlock::load(SQLHSTMT statement, std::vector<ParameterSet>& rows) {
  std::size_t index = 0;
  for (ParameterSet& row : rows) {
    for (ParameterSet::Slot& slot : row.slots()) {
      if (index >= parameters_.size())
        throw std::logic_error("more values than the statement has parameters");
      Bound& parameter = parameters_[index];
      if (slot.isNull()) {
        // A null needs no buffer: whatever the parameter was bound to stays.
        if (!parameter.bound) bind(statement, index, slot);
        indicators_[index++] = SQL_NULL_DATA;
        continue;
      }
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

// Binds the parameter for values like this one: a text or binary parameter gets room
// for twice this value, so that a somewhat longer one later fits as well.
void ParameterBlock::bind(SQLHSTMT statement, std::size_t index, const ParameterSet::Slot& slot) {
  Bound& parameter = parameters_[index];
  const bool sameTypes = parameter.bound && parameter.cType == slot.cType &&
                         parameter.sqlType == slot.sqlType && parameter.digits == slot.digits;
  parameter.bound = true;
  parameter.cType = slot.cType;
  parameter.sqlType = slot.sqlType;
  parameter.digits = slot.digits;
  parameter.size = sameTypes ? std::max(parameter.size, slot.size) : slot.size;
  const auto bytes = static_cast<std::size_t>(std::max<SQLLEN>(slot.valueBytes(), 0));
  const bool variable =
      slot.cType == SQL_C_CHAR || slot.cType == SQL_C_WCHAR || slot.cType == SQL_C_BINARY;
  const std::size_t room = (variable ? 2 * bytes : bytes) + kTerminator;
  if (parameter.buffer.size() < room) parameter.buffer.assign(room, 0);
  SQLRETURN rc = SQLBindParameter(
      statement, static_cast<SQLUSMALLINT>(index + 1), SQL_PARAM_INPUT, parameter.cType,
      parameter.sqlType, parameter.size, parameter.digits, parameter.buffer.data(),
      static_cast<SQLLEN>(parameter.buffer.size() - kTerminator), &indicators_[index]);
  ++bindings_;
  checkResult(rc, SQL_HANDLE_STMT, statement, "binding a value");
}

}  // namespace tiermend::data::odbc
