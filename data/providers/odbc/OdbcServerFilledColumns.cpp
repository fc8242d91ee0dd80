// Reading which columns the server fills in itself and marking them on a result's columns.
#include "data/providers/odbc/OdbcServerFilledColumns.h"

#include <variant>

#include "data/value/AsciiText.h"

namespace tiermend::data::odbc {

std::vector<ServerFilledColumn> readServerFilledColumns(Cursor& cursor) {
  std::vector<ServerFilledColumn> filled;
  std::vector<Value> row;
  while (cursor.fetch(row)) {
    if (row.size() < 2) continue;
    const auto* name = std::get_if<std::string>(&row[0]);
    if (name == nullptr) continue;
    const auto* flag = std::get_if<std::int64_t>(&row[1]);
    filled.push_back({*name, flag != nullptr && *flag != 0});
  }
  return filled;
}

void markServerFilled(std::vector<ColumnInfo>& columns,
                      const std::vector<ServerFilledColumn>& filled) {
  for (ColumnInfo& column : columns) {
    for (const ServerFilledColumn& server : filled) {
      if (!equalsIgnoringCase(column.name, server.name)) continue;
      if (server.identity)
        column.autoIncrement = true;
      else
        column.updatable = false;
    }
  }
}

}  // namespace tiermend::data::odbc
