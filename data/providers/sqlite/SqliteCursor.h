// A forward-only cursor over the result of one prepared SQLite statement.
#pragma once

#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/providers/sqlite/SqliteHandles.h"

namespace tiermend::data::sqlite {

class SqliteCursor : public Cursor {
 public:
  // Takes a prepared statement that has not been stepped. Its rows are read as fetch
  // asks for them; a column without a declared type, or a statement that writes, has
  // the first row read at once.
  explicit SqliteCursor(StatementHandle statement);

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  const std::string& baseTable() const override { return baseTable_; }
  bool fetch(std::vector<Value>& row) override;

 private:
  ColumnInfo describeColumn(int index, bool hasRow) const;
  void findBaseTable();
  // Steps to the next row; false at the end, when the statement lets go of the file.
  bool step();

  StatementHandle statement_;
  std::vector<ColumnInfo> columns_;
  std::string baseTable_;
  bool rowPending_ = false;  // a row stepped to and not yet fetched
  bool done_ = false;
};

}  // namespace tiermend::data::sqlite
