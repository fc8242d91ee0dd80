// The walk over a Jet table's rows, page by page, checking what it reads.
//
// libmdb's own walk is not hardened: it takes the deleted flag (0x8000) of a row offset
// for a lookup flag and the overflow flag (0x4000) for the deleted one, reads whatever
// bytes a damaged row count or offset points at, and visits pages again when a page map
// is damaged. This walk reads the page map and the row offsets itself:
//   - the pages are those the table's page map lists, each once, in ascending order;
//     a listed page that is not a data page of this table (its owner field names
//     another table definition) is passed over, as Jet does;
//   - every row offset lies inside its page, after the offset table, and no row
//     overlaps another;
//   - a deleted row (0x8000, also set on the moved halves of overflow rows) is passed
//     over; an overflow row (0x4000) is followed to the row it points at, which must be
//     a moved row of a data page of this table;
//   - for a user table the rows read must come to the count its definition holds
//     (system tables are known to carry stale counts).
// Anything else is reported as damage naming the table and the file.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "data/providers/jet/Mdb.h"

namespace tiermend::data::jet {

// Where the current row's bytes lie in the page loaded in the handle (mdb->pg_buf).
struct JetRowSpan {
  int start = 0;
  std::size_t size = 0;
};

class JetRowWalk {
 public:
  // Reads the table's page map at once; throws EngineError when it is damaged.
  JetRowWalk(MdbHandle* mdb, MdbTableDef* table, std::string file, std::uint32_t pageCount);

  // Moves to the next row and loads the page that holds its bytes. Returns false after
  // the last row. Throws EngineError for a damaged table.
  bool next(JetRowSpan& span);

  // The page in the handle may have been replaced by other reading: the next page the
  // walk needs is read again from the file.
  void pageReplaced() { loaded_ = 0; }

  [[noreturn]] void damaged(const std::string& what) const;

 private:
  struct Entry {
    std::uint16_t raw;  // the offset with its flag bits
    int start;
    int end;
  };

  std::vector<Entry> entriesOfPage(std::uint32_t page, bool& owned);
  bool moveToNextPage();
  void load(std::uint32_t page);
  JetRowSpan followOverflow(const Entry& pointer);
  void countRow();

  MdbHandle* mdb_;
  MdbTableDef* table_;
  std::string file_;
  std::uint32_t pageCount_;
  std::vector<std::uint32_t> pages_;
  std::size_t nextPage_ = 0;
  std::unordered_set<std::uint32_t> walked_;
  std::uint32_t page_ = 0;  // the data page being walked
  std::vector<Entry> entries_;
  std::size_t nextEntry_ = 0;
  std::uint32_t rowPage_ = 0;  // the page that holds the current row's bytes
  std::uint32_t loaded_ = 0;   // the page in the handle's buffer, 0 when unknown
  unsigned long long rowsRead_ = 0;
  bool countTrusted_ = false;
};

}  // namespace tiermend::data::jet
