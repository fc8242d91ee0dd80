// Keeps the indexes of one Jet 4 table being refilled: every row added gives each
// stored index its key, checked as Access checks it when the row is posted (a key
// already in a unique index, or a null in a primary key, refuses the row with Access's
// own message). When the table's rows are written, each index is built afresh from its
// entries: its pages take the places of its old pages first (a refresh repeated keeps
// the file's size), new pages are added at the end, pages left over are marked free;
// the index's usage map, the global map, its first page and its entry count in the
// table definition follow.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/Value.h"
#include "data/providers/jet/indexes/JetEntryKeySet.h"
#include "data/providers/jet/indexes/JetIndexPage.h"
#include "data/providers/jet/indexes/JetIndexPlan.h"
#include "data/providers/jet/pages/JetPageCache.h"
#include "data/providers/jet/pages/JetUsageMap.h"
#include "data/providers/jet/read/JetDatabase.h"
#include "data/providers/jet/tables/JetDefinitionWriter.h"
#include "data/providers/jet/values/JetValueCodec.h"

namespace tiermend::data::jet {

// Access's messages for rows an index refuses.
inline constexpr const char* kDuplicateKeyMessage =
    "The changes you requested to the table were not successful because they would create "
    "duplicate values in the index, primary key, or relationship. Change the data in the "
    "field or fields that contain duplicate data, remove the index, or redefine the index to "
    "permit duplicate entries and try again.";
inline constexpr const char* kNullKeyMessage = "Index or primary key cannot contain a Null value.";
// One of those messages, Access's sentence unchanged and first, then the table and the
// index that refused the row: " Table 'labor', index 'PrimaryKey'."
std::string refusedKeyMessage(const char* accessSentence, const JetIndexShape& index);

class JetIndexWriter {
 public:
  explicit JetIndexWriter(std::vector<JetIndexPlan> plans);

  bool empty() const { return plans_.empty(); }
  const std::vector<JetIndexPlan>& plans() const { return plans_; }

  // Computes the keys of a row from its values (one per column in column-number order),
  // each through its column's codec (codecs, in the same order), as the row's bytes were
  // encoded. Throws EngineError with Access's message for a duplicate or a null key;
  // JetIndexRefusal for a value no key can hold. Nothing is recorded until admit() is
  // followed by record().
  void admit(const std::vector<Value>& row, const std::vector<JetValueCodec>& codecs);
  // Records the keys last admitted for the row where it was placed.
  void record(JetRowId row);
  // Forgets every entry: the table's rows were all deleted.
  void clear();

  // Whether entries changed since the indexes were last written.
  bool stale() const { return stale_; }
  // Writes every index from its entries (see above); definition is the table's, where
  // each index's first page and entry count go.
  void write(JetPageCache& cache, JetUsageMap& globalMap, JetDefinitionWriter& definition);

  // The entries each index must hold, in index order, after write().
  const std::vector<JetIndexEntry>& expected(std::size_t plan) const { return entries_[plan]; }
  // The root page of each index after write().
  std::uint32_t root(std::size_t plan) const { return plans_[plan].firstPage; }

 private:
  bool keyed(std::size_t plan) const { return !skip_[plan]; }
  std::vector<std::uint32_t> oldPages(JetPageCache& cache, JetUsageMap& globalMap,
                                      std::uint32_t definitionPage);

  std::vector<JetIndexPlan> plans_;
  std::vector<std::vector<JetIndexEntry>> entries_;  // per plan
  std::vector<JetEntryKeySet> unique_;               // per unique plan: its entries so far
  std::vector<JetKeyValue> values_;                  // the key values of a row, room kept
  std::vector<std::vector<std::uint8_t>> pending_;   // per plan: the admitted row's key
  std::vector<bool> skip_;                           // per plan: admitted key left out
  bool stale_ = false;
};

// The index writer of a Jet 4 table of database, or null when it has no indexes. Throws
// JetIndexRefusal for an index it cannot rebuild, before anything is written.
std::unique_ptr<JetIndexWriter> indexWriterFor(const JetDatabase& database, const JetTable& table);

}  // namespace tiermend::data::jet
