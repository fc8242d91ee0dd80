// Reading a result whole into a buffered cursor.
#include "data/providers/odbc/OdbcCursor.h"

#include "data/providers/odbc/OdbcDiagnostics.h"
#include "data/providers/odbc/OdbcValues.h"

namespace tiermend::data::odbc {

namespace {

std::vector<std::vector<Value>> readAllRows(const StatementHandle& statement,
                                            const std::vector<ColumnInfo>& columns) {
  std::vector<std::vector<Value>> rows;
  for (;;) {
    SQLRETURN rc = SQLFetch(statement.get());
    if (rc == SQL_NO_DATA) break;
    checkResult(rc, SQL_HANDLE_STMT, statement.get(), "fetching a row");
    std::vector<Value> row;
    row.reserve(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
      row.push_back(readValue(statement.get(), static_cast<SQLUSMALLINT>(i + 1), columns[i].type));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

std::unique_ptr<BufferedCursor> readWholeResult(const StatementHandle& statement,
                                                const DriverTraits& traits,
                                                const std::string& tableOfStatement) {
  std::vector<ColumnDescription> descriptions = describeResult(statement.get());
  if (descriptions.empty()) return nullptr;
  std::vector<ColumnInfo> columns;
  for (const ColumnDescription& description : descriptions)
    columns.push_back(toColumnInfo(description, traits));
  std::vector<std::vector<Value>> rows = readAllRows(statement, columns);
  std::string baseTable = descriptions.front().baseTable;
  if (baseTable.empty()) baseTable = tableOfStatement;
  return std::make_unique<BufferedCursor>(std::move(columns), std::move(baseTable),
                                          std::move(rows));
}

}  // namespace tiermend::data::odbc
