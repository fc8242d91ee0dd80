// Reads one table of an Access file three independent ways (our own Jet cursor through
// the data layer, libmdb's mdb-export, and the npm package mdb-reader) and compares them
// value for value, so that tests of what we write do not rest on our own reader alone.
//
// Every reader's values are brought to one text form (see tools/mdb-reader/dump-table.mjs):
// null as \N, Yes/No as 1/0, exact decimals without trailing zeros, dates as
// "YYYY-MM-DD HH:MM:SS[.mmm]", GUIDs as "{...}" upper case, binary as upper-case hex,
// text with \\ \t \n \r escaped. Floating values are compared as numbers.
//
// Where mdb-export is known to lose information, the comparison with it allows exactly
// that loss and nothing more: it prints empty text as null, characters outside the Basic
// Multilingual Plane as "??", Single with 8 and Double with 16 significant digits, no
// milliseconds, exact decimals with trailing zeros, GUIDs as the hex of their text with
// one hyphen missing, and cannot convert dates before 1900 or in the last
// days of 9999 (it prints the day 0 for them; those are compared with mdb-reader only).
#pragma once

#include <string>
#include <vector>

#include "data/ColumnInfo.h"

namespace tiermend::testing {

struct TableText {
  std::vector<std::string> columns;
  std::vector<data::ColumnType> types;  // only from our own reader
  std::vector<std::vector<std::string>> rows;
};

// The table as our Jet provider reads it.
TableText readWithOurCursor(const std::string& path, const std::string& table,
                            const std::string& password = "");
// The table as `mdb-export` prints it (it ignores database passwords).
TableText readWithMdbExport(const std::string& path, const std::string& table);
// The table as the npm package mdb-reader reads it (installed by scripts/setup).
TableText readWithMdbReader(const std::string& path, const std::string& table,
                            const std::string& password = "");

enum class Reader { MdbExport, MdbReader };

// "" when theirs (read by reader) agrees with ours value for value, else the first
// disagreement, allowing only the losses of that reader named above.
std::string readingDifference(const TableText& ours, const TableText& theirs, Reader reader);

// Reads the table the three ways; "" when they agree value for value, else a description
// of the first disagreement. When ours is given it receives our own reading.
std::string threeWayDifference(const std::string& path, const std::string& table,
                               const std::string& password = "", TableText* ours = nullptr);

}  // namespace tiermend::testing
