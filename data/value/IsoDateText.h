// Dates and times as ISO-8601 text, the form SQLite's date functions use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/ColumnInfo.h"
#include "data/Value.h"

namespace tiermend::data {

// "YYYY-MM-DD HH:MM:SS" (".mmm" added when there are milliseconds); "YYYY-MM-DD" for a
// date column, "HH:MM:SS[.mmm]" for a time column.
std::string formatIsoDateTime(const DateTime& value, ColumnType target);
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (a "T" may stand for the blank, a "Z" may
// end it) or a time alone "HH:MM[:SS[.fff]]" (then on 1899-12-30); nullopt when not one
// of these.
std::optional<DateTime> parseIsoDateTime(std::string_view text);

}  // namespace tiermend::data
