// A cursor over one result of an ODBC statement. Either the result has been read whole
// already, or the statement is prepared and described but not yet run: it is run, and
// its result read whole, when the first row is asked for, so that a result nobody reads
// (the target a refresh only appends to) costs neither the server's work nor memory.
// Reading a result at once frees the connection at once: a driver that holds one
// pending result per connection (FreeTDS without MARS) can then run the inserts that
// follow on the same connection while this cursor is still open.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/providers/odbc/OdbcColumns.h"
#include "data/providers/odbc/OdbcHandles.h"
#include "data/providers/odbc/OdbcServerFilledColumns.h"

namespace tiermend::data::odbc {

class OdbcCursor : public Cursor {
 public:
  // Runs a prepared statement on its session, raising its failure.
  using Run = std::function<void(const StatementHandle&)>;

  // A result read whole.
  OdbcCursor(std::vector<ColumnInfo> columns, std::string baseTable,
             std::vector<std::vector<Value>> rows)
      : columns_(std::move(columns)), baseTable_(std::move(baseTable)), rows_(std::move(rows)) {}
  // A prepared statement whose result has these columns; run() runs it when the first
  // row is asked for. The cursor must not outlive the session run() belongs to.
  OdbcCursor(std::vector<ColumnInfo> columns, std::string baseTable, StatementHandle prepared,
             Run run);

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  const std::string& baseTable() const override { return baseTable_; }
  bool fetch(std::vector<Value>& row) override;
  // Marks the columns the server fills in itself as the server named them.
  void markServerFilled(const std::vector<ServerFilledColumn>& filled) {
    odbc::markServerFilled(columns_, filled);
  }

 private:
  struct Pending {
    StatementHandle statement;
    Run run;
  };

  std::vector<ColumnInfo> columns_;
  std::string baseTable_;
  std::optional<Pending> pending_;
  std::vector<std::vector<Value>> rows_;
  std::size_t next_ = 0;
};

// The result of the statement just run, read whole, as a cursor; nothing when the
// statement gave no result set. The base table is the one the driver names for the
// first column, else tableOfStatement.
std::unique_ptr<OdbcCursor> readWholeResult(const StatementHandle& statement,
                                            const DriverTraits& traits,
                                            const std::string& tableOfStatement);

// The columns of a statement's result as the driver describes them, executed or only
// prepared, and the table they come from (the driver's name for it, else
// tableOfStatement). Nothing when the statement has no result set.
struct DescribedResult {
  std::vector<ColumnInfo> columns;
  std::string baseTable;
};
DescribedResult describeColumns(const StatementHandle& statement, const DriverTraits& traits,
                                const std::string& tableOfStatement);

// Steps through the statement's remaining results so the connection is free again; an
// error in a later result is raised.
void finishResults(const StatementHandle& statement);

}  // namespace tiermend::data::odbc
