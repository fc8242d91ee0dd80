// The walk over a Jet table's rows, page by page, checking what it reads.
//
// The pages walked are those the table's page map lists, each once, in ascending order;
// a listed page that is not a data page of this table (its owner field names another
// table definition) is passed over, as Jet does. On each page:
//   - every row offset lies inside its page, after the offset table, and no row
//     overlaps another;
//   - a deleted row (0x8000, also set on the moved halves of overflow rows) is passed
//     over; an overflow row (0x4000) is followed to the row it points at, which must be
//     a moved row of a data page of this table;
//   - when the caller trusts the count (user tables and MSysRelationships: Access
//     leaves stale counts in some other system tables), the rows read must come to the
//     count its definition holds, so that a page that no longer reads as the table's is
//     found out instead of silently leaving rows out.
// Anything else is reported as damage naming the table and the file.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/pages/JetPageStore.h"
#include "data/providers/jet/tables/JetTableDefinition.h"

namespace tiermend::data::jet {

// The current row's bytes, valid until the walk moves on.
struct JetRowSpan {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

class JetRowWalk {
 public:
  // Reads the table's page map at once; throws EngineError when it is damaged. table
  // must outlive the walk.
  JetRowWalk(const JetPageStore& pages, const JetFormat& format, const JetTableDefinition& table,
             std::string tableName, std::string file, bool countTrusted);

  // Moves to the next row. Returns false after the last row. Throws EngineError for a
  // damaged table.
  bool next(JetRowSpan& span);

  [[noreturn]] void damaged(const std::string& what) const;

 private:
  struct Entry {
    std::uint16_t raw;  // the offset with its flag bits
    int start;
    int end;
  };

  std::vector<std::uint32_t> pagesOfTable();
  std::vector<Entry> entriesOfPage(const Page& page, std::uint32_t number, bool& owned) const;
  void load(std::uint32_t number, Page& into);
  bool moveToNextPage();
  JetRowSpan followOverflow(const Entry& pointer);
  void countRow();

  const JetPageStore& store_;
  const JetFormat& format_;
  const JetTableDefinition& table_;
  std::string tableName_;
  std::string file_;
  bool countTrusted_;
  std::vector<std::uint32_t> pages_;
  std::size_t nextPage_ = 0;
  std::unordered_set<std::uint32_t> walked_;
  std::uint32_t pageNumber_ = 0;  // the data page being walked
  Page page_;
  Page moved_;  // the page an overflow row points to
  std::vector<Entry> entries_;
  std::size_t nextEntry_ = 0;
  unsigned long long rowsRead_ = 0;
};

}  // namespace tiermend::data::jet
