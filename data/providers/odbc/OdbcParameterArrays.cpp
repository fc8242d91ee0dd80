// Binding the queued rows of one insert as column-wise parameter arrays, and reading
// each row's status after the execution.
#include "data/providers/odbc/OdbcParameterArrays.h"

#include <algorithm>
#include <cstring>

#include "data/providers/odbc/OdbcDiagnostics.h"

namespace tiermend::data::odbc {

namespace {

void setAttribute(SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value) {
  SQLRETURN rc = SQLSetStmtAttr(statement, attribute, value, 0);
  checkResult(rc, SQL_HANDLE_STMT, statement, "setting up a parameter array");
}

bool isVariableLength(SQLSMALLINT cType) {
  return cType == SQL_C_CHAR || cType == SQL_C_WCHAR || cType == SQL_C_BINARY;
}

}  // namespace

ParameterArrays::ParameterArrays(std::vector<ParameterSet>& rows)
    : rowCount_(rows.size()), statuses_(rows.size(), SQL_PARAM_UNUSED) {
  const std::size_t columnCount = rows.empty() ? 0 : rows.front().slots().size();
  for (std::size_t i = 0; i < columnCount; ++i) columns_.push_back(columnOf(rows, i));
}

// The column takes its types from its first value that is not null; its stride is the
// longest value's length, so that every row's value fits in its place.
ParameterArrays::Column ParameterArrays::columnOf(std::vector<ParameterSet>& rows,
                                                  std::size_t index) {
  const ParameterSet::Slot* typed = &rows.front().slots()[index];
  SQLLEN longest = 0;
  SQLULEN size = 1;
  for (ParameterSet& row : rows) {
    const ParameterSet::Slot& slot = row.slots()[index];
    if (slot.isNull()) continue;
    if (typed->isNull()) typed = &slot;
    longest = std::max(longest, slot.valueBytes());
    size = std::max(size, slot.size);
  }
  Column column;
  column.cType = typed->cType;
  column.sqlType = typed->sqlType;
  column.digits = typed->digits;
  column.size = typed->isNull() ? typed->size : size;
  if (isVariableLength(column.cType)) {
    // Room for a terminating zero as well, which some drivers look for.
    const SQLLEN terminator = column.cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : 1;
    column.stride = std::max<SQLLEN>(longest + terminator, 2);
  } else {
    // Drivers step through fixed-size values by the size of their C type.
    column.stride = typed->valueBytes();
  }
  column.buffer.assign(rows.size() * static_cast<std::size_t>(column.stride), 0);
  column.indicators.resize(rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    ParameterSet::Slot& slot = rows[r].slots()[index];
    column.indicators[r] = slot.indicator;
    if (slot.isNull()) continue;
    std::memcpy(column.buffer.data() + r * static_cast<std::size_t>(column.stride), slot.data(),
                static_cast<std::size_t>(slot.valueBytes()));
  }
  return column;
}

void ParameterArrays::bind(SQLHSTMT statement) {
  processed_ = 0;
  std::fill(statuses_.begin(), statuses_.end(), SQL_PARAM_UNUSED);
  setAttribute(statement, SQL_ATTR_PARAM_BIND_TYPE,
               reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_PARAM_BIND_BY_COLUMN)));
  setAttribute(statement, SQL_ATTR_PARAMSET_SIZE,
               reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(rowCount_)));
  setAttribute(statement, SQL_ATTR_PARAM_STATUS_PTR, statuses_.data());
  setAttribute(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed_);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    Column& column = columns_[i];
    SQLRETURN rc = SQLBindParameter(statement, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                    column.cType, column.sqlType, column.size, column.digits,
                                    column.buffer.data(), column.stride, column.indicators.data());
    checkResult(rc, SQL_HANDLE_STMT, statement, "binding a column of values");
  }
}

void ParameterArrays::unbind(SQLHSTMT statement) {
  SQLFreeStmt(statement, SQL_RESET_PARAMS);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN{1}), 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
  SQLSetStmtAttr(statement, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
}

bool ParameterArrays::anyRowFailed() const {
  return std::any_of(statuses_.begin(), statuses_.end(),
                     [](SQLUSMALLINT s) { return s == SQL_PARAM_ERROR; });
}

}  // namespace tiermend::data::odbc
