// Several rows of one insert bound as column-wise parameter arrays, so that the driver
// sends them in one execution: each column's values lie side by side in one buffer,
// with one length indicator per row, and the driver reports each row's outcome in a
// status array.
#pragma once

#include <cstddef>
#include <vector>

#include "data/providers/odbc/OdbcParameters.h"
#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

class ParameterArrays {
 public:
  // The rows must share each column's C and SQL types (see RowQueue::fits).
  explicit ParameterArrays(std::vector<ParameterSet>& rows);
  ParameterArrays(const ParameterArrays&) = delete;
  ParameterArrays& operator=(const ParameterArrays&) = delete;

  std::size_t rowCount() const { return rowCount_; }

  // Sets the statement's parameter-set size, column-wise binding and the status and
  // processed-count pointers, and binds every column. unbind() must follow before the
  // statement runs a single row again.
  void bind(SQLHSTMT statement);
  static void unbind(SQLHSTMT statement);

  // After execution: the status the driver gave each row, and how many it processed.
  const std::vector<SQLUSMALLINT>& statuses() const { return statuses_; }
  SQLULEN processed() const { return processed_; }
  // Whether any row is marked as failed.
  bool anyRowFailed() const;

 private:
  struct Column {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN size = 1;
    SQLSMALLINT digits = 0;
    SQLLEN stride = 1;  // bytes from one row's value to the next
    std::vector<unsigned char> buffer;
    std::vector<SQLLEN> indicators;
  };
  static Column columnOf(std::vector<ParameterSet>& rows, std::size_t index);

  std::size_t rowCount_;
  std::vector<Column> columns_;
  std::vector<SQLUSMALLINT> statuses_;
  SQLULEN processed_ = 0;
};

}  // namespace tiermend::data::odbc
