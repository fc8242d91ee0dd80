// The catalogue of the four bracket tables, in the order of the refresh chain.
#pragma once

#include <array>

namespace tiermend::refresh {

struct BracketTable {
  const char* button;       // the button whose click handler refreshes it
  const char* captionUtf8;  // that button's caption
  const char* table;        // the same name in target and update package
  int columnCount;          // columns copied, by position from 0
  const char* selectStatement;
  const char* deleteStatement;
};

inline constexpr std::array<BracketTable, 4> kBracketTables{{
    {"Button1", "健保級距", "health_insu", 8, "select * from health_insu",
     "delete from health_insu"},
    {"Button2", "勞保級距", "labor", 7, "select * from labor", "delete from labor"},
    {"Button3", "所得稅級距", "incom_rep", 14, "select * from incom_rep", "delete from incom_rep"},
    {"Button4", "勞退級距", "retire", 5, "select * from retire", "delete from retire"},
}};

}  // namespace tiermend::refresh
