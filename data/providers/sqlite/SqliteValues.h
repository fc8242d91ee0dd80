// Values between SQLite's storage classes and the data layer's values.
//
// Reading follows the column's type: whole numbers as int64_t, floating numbers as
// double, currency and decimal as Decimal text, dates from ISO-8601 text (or a Julian
// day number, as SQLite's date functions read numbers), yes/no from 0/1. A stored value
// that the column's type cannot hold without loss fails with a message naming the
// column rather than being passed on in a form the column does not expect.
//
// Writing: dates as ISO-8601 text ("YYYY-MM-DD HH:MM:SS", ".mmm" added when there are
// milliseconds; "YYYY-MM-DD" for a date column, "HH:MM:SS" for a time column), yes/no
// as 0/1, and a Decimal as an INTEGER when it has no fraction and fits 64 bits, as a
// REAL when it has at most 15 significant digits (a double holds those exactly as
// decimal text), and otherwise as its text, so that no digit is lost.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>

#include "data/ColumnInfo.h"
#include "data/Value.h"

namespace tiermend::data::sqlite {

// The value of result column index of the current row, read as column says.
Value readValue(sqlite3_stmt* statement, int index, const ColumnInfo& column);

// The same, written over target: the text a value holds already is reused for the new
// one where it can be, so that reading row after row need not allocate.
void readValueInto(sqlite3_stmt* statement, int index, const ColumnInfo& column, Value& target);

// Binds value to parameter position (from 1) for a column of the given type.
void bindValue(sqlite3_stmt* statement, int position, const Value& value, ColumnType target);

}  // namespace tiermend::data::sqlite
