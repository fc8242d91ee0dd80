// A cursor over a result that has been read whole into memory. Reading the result at
// once frees the connection at once: a driver that holds one pending result per
// connection (FreeTDS without MARS) can then run the inserts that follow on the same
// connection while this cursor is still open.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "data/Provider.h"

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

 private:
  std::vector<ColumnInfo> columns_;
  std::string baseTable_;
  std::vector<std::vector<Value>> rows_;
  std::size_t next_ = 0;
};

}  // namespace tiermend::data::odbc
