// A cursor over a result that has been read whole into memory. Reading the result at
// once frees the connection at once: a driver that holds one pending result per
// connection (FreeTDS without MARS) can then run the inserts that follow on the same
// connection while this cursor is still open.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/providers/odbc/OdbcColumns.h"
#include "data/providers/odbc/OdbcHandles.h"
#include "data/providers/odbc/OdbcServerFilledColumns.h"

namespace tiermend::data::odbc {

class BufferedCursor : public Cursor {
 public:
  BufferedCursor(std::vector<ColumnInfo> columns, std::string baseTable,
                 std::vector<std::vector<Value>> rows)
      : columns_(std::move(columns)), baseTable_(std::move(baseTable)), rows_(std::move(rows)) {}

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  const std::string& baseTable() const override { return baseTable_; }
  bool fetch(std::vector<Value>& row) override {
    if (next_ >= rows_.size()) return false;
    row = std::move(rows_[next_++]);
    return true;
  }
  // Marks the columns the server fills in itself as the server named them.
  void markServerFilled(const std::vector<ServerFilledColumn>& filled) {
    odbc::markServerFilled(columns_, filled);
  }

 private:
  std::vector<ColumnInfo> columns_;
  std::string baseTable_;
  std::vector<std::vector<Value>> rows_;
  std::size_t next_ = 0;
};

// The result of the statement just run, read whole, as a cursor; nothing when the
// statement gave no result set. The base table is the one the driver names for the
// first column, else tableOfStatement.
std::unique_ptr<BufferedCursor> readWholeResult(const StatementHandle& statement,
                                                const DriverTraits& traits,
                                                const std::string& tableOfStatement);

}  // namespace tiermend::data::odbc
