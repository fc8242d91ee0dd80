// A forward-only cursor over one Jet table: rows are read one at a time from the file
// as fetch asks for them, never all at once, by a walk that checks what it reads.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/providers/jet/read/JetDatabase.h"
#include "data/providers/jet/tables/JetRowSplitter.h"
#include "data/providers/jet/tables/JetRowWalk.h"
#include "data/providers/jet/values/JetLongValue.h"
#include "data/providers/jet/values/JetValueCodec.h"

namespace tiermend::data::jet {

class JetCursor : public Cursor {
 public:
  // Reads the named columns of table (all of them when columns is empty). Throws
  // EngineError for an unknown table or column, or a damaged definition.
  JetCursor(std::shared_ptr<JetDatabase> database, const std::string& table,
            const std::vector<std::string>& columns);

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  const std::string& baseTable() const override { return table_->name; }
  bool fetch(std::vector<Value>& row) override;

 private:
  void selectColumns(const std::vector<std::string>& names);
  [[noreturn]] void damagedRow() const;

  std::shared_ptr<JetDatabase> database_;
  std::shared_ptr<const JetTable> table_;
  std::vector<ColumnInfo> columns_;
  std::vector<std::size_t> sources_;   // for each result column, its index in the table
  std::vector<JetValueCodec> codecs_;  // for each result column, its codec
  JetRowWalk walk_;
  JetRowSplitter splitter_;
  JetLongValueSource longValues_;
  JetRowSpan row_;  // the current row's bytes
  std::vector<JetField> fields_;
  bool finished_ = false;
};

}  // namespace tiermend::data::jet
