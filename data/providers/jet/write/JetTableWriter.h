// Deletes and appends the rows of one table in a Jet file being written. Rows are
// packed, placed on the table's pages up to their free space and, when none has room,
// on new data pages added at the end of the file; the table's usage maps, the global
// map and the definition's row count and auto-number follow each change.
//
// "delete from T" marks every row on T's pages deleted. Those pages then hold nothing
// live, so the rows added afterwards in the same transaction reuse them (each is
// emptied when its turn comes) before any page is added: a table refreshed again and
// again keeps about the size of its largest contents.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "data/Value.h"
#include "data/providers/jet/indexes/JetIndexWriter.h"
#include "data/providers/jet/pages/JetUsageMap.h"
#include "data/providers/jet/read/JetDatabase.h"
#include "data/providers/jet/tables/JetDefinitionWriter.h"
#include "data/providers/jet/tables/JetRowPacker.h"
#include "data/providers/jet/write/JetRowDigest.h"

namespace tiermend::data::jet {

class JetTableWriter {
 public:
  // table's definition is checked writable (checkWritable); baseline is the digest of
  // the rows the table holds before this writer changes it; text is the database's text
  // codec; indexes, when the table has any, keeps them (rows are then checked against
  // them as they are added, and they are rewritten on flush).
  JetTableWriter(JetPageCache& cache, JetUsageMap& globalMap, std::shared_ptr<const JetTable> table,
                 const JetFormat& format, JetRowDigest baseline, const JetTextCodec& text,
                 std::unique_ptr<JetIndexWriter> indexes = nullptr);

  const std::string& name() const { return table_->name; }
  // Marks every row deleted; gives the number of rows the table held.
  std::int64_t deleteAll();
  // Adds one row giving the named columns these values; the others are null (No for
  // Yes/No), auto-numbers take the next number.
  void insert(const std::vector<std::string>& columns, const std::vector<Value>& values);
  // Writes the data page being filled and the indexes, when rows changed; the
  // definition and map pages stay in the cache.
  void flush();
  // The table's indexes, or null when it has none.
  const JetIndexWriter* indexes() const { return indexes_.get(); }
  // What the table must read back as.
  const JetRowDigest& digest() const { return digest_; }

 private:
  const std::vector<JetColumnDefinition>& definedColumns() const {
    return table_->definition.columns;
  }
  std::uint32_t definitionPage() const { return table_->definition.page; }
  void mapColumns(const std::vector<std::string>& columns);
  std::uint32_t fillAutoValues();
  JetRowId placeRow(const std::vector<std::uint8_t>& row);
  void storeZeroAsPositive();
  void nextPage();
  void writeCurrentPage();
  void storeRowCount(std::uint32_t count);
  std::uint32_t allocate(const Page& page);

  JetPageCache& cache_;
  JetUsageMap& globalMap_;
  std::shared_ptr<const JetTable> table_;
  const JetFormat& format_;
  JetDefinitionWriter definition_;
  JetUsageMap ownedMap_;
  JetUsageMap freeMap_;
  JetRowPacker packer_;
  JetRowDigest digest_;
  std::uint32_t rowCount_ = 0;
  std::deque<std::uint32_t> reusable_;  // owned pages whose rows are all deleted
  bool lookedForRoom_ = false;          // the free-space map was searched already
  std::optional<std::uint32_t> currentNumber_;
  Page current_;
  bool currentChanged_ = false;
  std::vector<std::string> mappedNames_;  // the column list last mapped
  std::vector<int> mapped_;               // its positions in the definition's order
  std::vector<Value> row_;
  std::vector<Value> stored_;
  std::unique_ptr<JetIndexWriter> indexes_;
  bool emptied_ = false;    // every row it held was deleted by this writer
  std::mt19937_64 random_;  // Replication IDs
};

}  // namespace tiermend::data::jet
