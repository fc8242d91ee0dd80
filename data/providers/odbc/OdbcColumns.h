// What a driver says about the columns of a result, and the column kinds the rest of
// the program sees for it.
#pragma once

#include <string>
#include <vector>

#include "data/ColumnInfo.h"
#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

// The driver's own description of one result column.
struct ColumnDescription {
  std::string name;
  SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;  // concise type, as SQLDescribeCol gives it
  SQLULEN size = 0;                        // characters for text, bytes for binary
  SQLSMALLINT digits = 0;                  // scale of exact numbers
  SQLLEN precision = 0;
  bool isUnsigned = false;
  bool autoUnique = false;
  bool readOnly = false;
  std::string typeName;   // the database's name for the type ("money", "text", ...)
  std::string baseTable;  // the table the column comes from, when the driver knows it
};

// How the driver reports types, where drivers differ.
struct DriverTraits {
  // PostgreSQL's text and unbounded varchar are its ordinary strings, which psqlODBC
  // reports as long varchar, or as varchar of its largest size. When set, such
  // columns are text without a size limit rather than memo.
  bool longTextIsOrdinaryText = false;
  // With longTextIsOrdinaryText: a varchar reported at least this long has no limit.
  SQLULEN unboundedTextSize = 10485760;
};

// Asks the driver about result column `number` (from 1) of an executed statement.
ColumnDescription describeColumn(SQLHSTMT statement, SQLUSMALLINT number);
// Every column of the statement's current result (none when it has no result set).
std::vector<ColumnDescription> describeResult(SQLHSTMT statement);

// The column kind and attributes for a described column.
ColumnInfo toColumnInfo(const ColumnDescription& description, const DriverTraits& traits);

}  // namespace tiermend::data::odbc
