// Reading a result whole into a cursor, at once or when its first row is asked for.
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

OdbcCursor::OdbcCursor(std::vector<ColumnInfo> columns, std::string baseTable,
                       StatementHandle prepared, Run run)
    : columns_(std::move(columns)),
      baseTable_(std::move(baseTable)),
      pending_(Pending{std::move(prepared), std::move(run)}) {}

bool OdbcCursor::fetch(std::vector<Value>& row) {
  if (pending_) {
    // Whatever happens to the run, the statement is not run a second time.
    const Pending pending = std::move(*pending_);
    pending_.reset();
    pending.run(pending.statement);
    rows_ = readAllRows(pending.statement, columns_);
    finishResults(pending.statement);
  }
  if (next_ >= rows_.size()) return false;
  row = std::move(rows_[next_++]);
  return true;
}

DescribedResult describeColumns(const StatementHandle& statement, const DriverTraits& traits,
                                const std::string& tableOfStatement) {
  DescribedResult result;
  const std::vector<ColumnDescription> descriptions = describeResult(statement.get());
  if (descriptions.empty()) return result;
  for (const ColumnDescription& description : descriptions)
    result.columns.push_back(toColumnInfo(description, traits));
  result.baseTable = descriptions.front().baseTable;
  if (result.baseTable.empty()) result.baseTable = tableOfStatement;
  return result;
}

std::unique_ptr<OdbcCursor> readWholeResult(const StatementHandle& statement,
                                            const DriverTraits& traits,
                                            const std::string& tableOfStatement) {
  DescribedResult described = describeColumns(statement, traits, tableOfStatement);
  if (described.columns.empty()) return nullptr;
  std::vector<std::vector<Value>> rows = readAllRows(statement, described.columns);
  return std::make_unique<OdbcCursor>(std::move(described.columns), std::move(described.baseTable),
                                      std::move(rows));
}

void finishResults(const StatementHandle& statement) {
  for (;;) {
    SQLRETURN rc = SQLMoreResults(statement.get());
    if (rc == SQL_NO_DATA) return;
    checkResult(rc, SQL_HANDLE_STMT, statement.get(), "reading the results of a statement");
  }
}

}  // namespace tiermend::data::odbc
