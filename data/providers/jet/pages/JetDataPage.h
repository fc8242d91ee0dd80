// A data page of a Jet table: a header (page type 0x01, free space, the owning table's
// definition page, the row count), the row-offset table after it, and the rows stored
// from the end of the page downwards (the layout is in JetFormat.h).
#pragma once

#include <cstdint>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/pages/JetPageStore.h"

namespace tiermend::data::jet {

// Where one row of a data page lies, and its offset entry with the flags.
struct JetRowBounds {
  std::size_t start = 0;
  std::size_t end = 0;
  std::uint16_t entry = 0;
};

// The bounds of row `row` of a data page: from its start to the start of the row before
// it (the page's end for row 0). False when the page is no data page, holds no such row
// or the bounds do not lie inside it.
bool rowBounds(const Page& page, const JetFormat& format, std::size_t row, JetRowBounds& bounds);

class JetDataPage {
 public:
  JetDataPage(Page& page, bool jet3) : page_(page), format_(jetFormat(jet3)) {}

  // Makes page an empty data page of the table whose definition is on tableDefinition.
  static void initialise(Page& page, bool jet3, std::uint32_t tableDefinition);

  bool isDataPageOf(std::uint32_t tableDefinition) const;
  int rowCount() const;
  std::uint16_t rowEntry(int row) const;
  int freeSpace() const;
  // True when every row on the page is marked deleted (or it holds none).
  bool allRowsDeleted() const;
  // Marks every row deleted with both flag bits, as Access does. The rows' bytes stay
  // where they are, so the page's free space does not change. Gives the number of rows
  // that were live before.
  int markAllDeleted();
  // True when a row of size bytes and its offset entry fit.
  bool fits(std::size_t size) const;
  // Stores row below the lowest row on the page; the caller has checked fits().
  void addRow(const std::uint8_t* row, std::size_t size);

 private:
  std::size_t entryOffset(int row) const {
    return format_.rowEntryOffset(static_cast<std::size_t>(row));
  }
  const std::uint8_t* inside(std::size_t at, std::size_t width) const;
  std::uint8_t* inside(std::size_t at, std::size_t width);
  int lowestRowStart() const;
  void setFreeSpace(int value);

  Page& page_;
  const JetFormat& format_;
};

}  // namespace tiermend::data::jet
