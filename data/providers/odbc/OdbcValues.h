// Reading one column value of the current row with SQLGetData, in the form the column
// kind travels in (see data/Value.h).
#pragma once

#include <string>
#include <string_view>

#include "data/ColumnInfo.h"
#include "data/Value.h"
#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

// Reads column `number` (from 1) of the current row; long values are read in full.
Value readValue(SQLHSTMT statement, SQLUSMALLINT number, ColumnType type);

// A driver's decimal text in the form Decimal holds: "-0.5" for "-.5", no "+", no blanks.
std::string normalizedDecimal(std::string_view text);

}  // namespace tiermend::data::odbc
