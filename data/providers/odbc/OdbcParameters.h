// The parameters of one insert: each value bound with the C type that carries it
// without loss and the SQL type of the column it goes to.
#pragma once

#include <string>
#include <vector>

#include "data/Value.h"
#include "data/providers/odbc/OdbcText.h"
#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

// The SQL type of a target column, as a result column describing it reports.
struct ParameterTarget {
  SQLSMALLINT sqlType = SQL_VARCHAR;
  SQLULEN size = 0;
  SQLSMALLINT digits = 0;
};

// Holds the values' buffers for as long as the statement they are bound to runs.
class ParameterSet {
 public:
  ParameterSet(const std::vector<Value>& values, const std::vector<ParameterTarget>& targets);
  ParameterSet(const ParameterSet&) = delete;
  ParameterSet& operator=(const ParameterSet&) = delete;
  // Movable: the buffers' addresses are taken only when binding.
  ParameterSet(ParameterSet&&) = default;
  ParameterSet& operator=(ParameterSet&&) = default;

  // Binds every value as input parameter 1, 2, ... of the statement.
  void bind(SQLHSTMT statement);

  struct Slot {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN size = 1;
    SQLSMALLINT digits = 0;
    // The size of the column the value goes to, as its description gives it.
    SQLULEN columnSize = 0;
    SQLLEN indicator = 0;
    SQLBIGINT integer = 0;
    SQLDOUBLE real = 0;
    unsigned char bit = 0;
    SQL_TIMESTAMP_STRUCT timestamp{};
    SQL_DATE_STRUCT date{};
    SQL_TIME_STRUCT time{};
    std::string narrow;
    WideString wide;
    Bytes bytes;
    SQLPOINTER data();
    SQLLEN bufferLength() const;
    // The bytes of the value as bound (fixed-size C types: their whole struct).
    SQLLEN valueBytes() const;
    bool isNull() const { return indicator == SQL_NULL_DATA; }
  };
  const std::vector<Slot>& slots() const { return slots_; }
  std::vector<Slot>& slots() { return slots_; }

 private:
  std::vector<Slot> slots_;
};

}  // namespace tiermend::data::odbc
