// A forward-only cursor over one Jet table: rows are read one at a time from the file
// as fetch asks for them, never all at once, by a walk that checks what it reads.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/providers/jet/JetDatabase.h"
#include "data/providers/jet/JetRowWalk.h"

namespace tiermend::data::jet {

class JetCursor : public Cursor {
 public:
  // Reads the named columns of table (all of them when columns is empty). Throws
  // EngineError for an unknown table or column.
  JetCursor(std::shared_ptr<JetDatabase> database, const std::string& table,
            const std::vector<std::string>& columns);

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  const std::string& baseTable() const override { return baseTable_; }
  bool fetch(std::vector<Value>& row) override;

 private:
  void selectColumns(const std::vector<std::string>& names);
  const MdbField& fieldOf(int tableColumn) const;
  void crackRow(const JetRowSpan& span);
  Value readValue(int tableColumn, const ColumnInfo& info) const;
  Value readFixed(const MdbColumn& column, const MdbField& field, const ColumnInfo& info) const;
  Value readText(const MdbField& field) const;
  [[noreturn]] void damagedRow() const;

  std::shared_ptr<JetDatabase> database_;
  MdbTableDefPtr table_;
  std::string baseTable_;
  std::vector<ColumnInfo> columns_;
  std::vector<int> sources_;      // for each result column, its index in the table
  std::vector<MdbField> fields_;  // the current row, as libmdb divides it
  std::vector<int> fieldIndex_;   // table column index -> position in fields_
  JetRowWalk walk_;
  JetRowSpan row_;  // where the current row's bytes lie in the loaded page
  bool finished_ = false;
};

}  // namespace tiermend::data::jet
