// Columns the server fills in itself (identity, computed and rowversion columns), as
// the server names them when asked, and marking them on a result's columns so that the
// rowset refuses to write them before any row is sent.
#pragma once

#include <string>
#include <vector>

#include "data/ColumnInfo.h"
#include "data/Provider.h"

namespace tiermend::data::odbc {

struct ServerFilledColumn {
  std::string name;
  bool identity = false;  // an auto-number; otherwise computed by the server
};

// The rows of the dialect's server-filled columns query: name, then 1 or 0.
std::vector<ServerFilledColumn> readServerFilledColumns(Cursor& cursor);

// Marks the named columns (names compared without regard to case, as SQL Server's
// usual collations compare them): identity columns as auto-numbers, the others as
// not updatable. Columns not named keep what the driver said of them.
void markServerFilled(std::vector<ColumnInfo>& columns,
                      const std::vector<ServerFilledColumn>& filled);

}  // namespace tiermend::data::odbc
