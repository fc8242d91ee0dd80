// A forward-only cursor over the result of one prepared SQLite statement.
#pragma once

#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/providers/sqlite/SqliteHandles.h"

namespace tiermend::data::sqlite {

class SqliteCursor : public Cursor {
 public:
  // The statement has been stepped once; hasRow tells whether that gave a row.
  SqliteCursor(StatementHandle statement, bool hasRow);

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  const std::string& baseTable() const override { return baseTable_; }
  bool fetch(std::vector<Value>& row) override;

 private:
  ColumnInfo describeColumn(int index, bool hasRow) const;
  void findBaseTable();

  StatementHandle statement_;
  std::vector<ColumnInfo> columns_;
  std::string baseTable_;
  bool rowPending_;
  bool done_;
};

}  // namespace tiermend::data::sqlite
