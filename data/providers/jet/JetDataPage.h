// A data page of a Jet table: a header (page type 0x01, free space, the owning table's
// definition page, the row count), the row-offset table after it, and the rows stored
// from the end of the page downwards. Each row-offset entry holds the row's start in
// its low 13 bits and two flags: 0x8000 deleted, 0x4000 a pointer to a row elsewhere.
#pragma once

#include <cstdint>

#include "data/providers/jet/JetPageFile.h"

namespace tiermend::data::jet {

inline constexpr std::uint16_t kRowDeletedFlag = 0x8000;
inline constexpr std::uint16_t kRowPointerFlag = 0x4000;
inline constexpr std::uint16_t kRowStartMask = 0x1FFF;
// Access and Jackcess put at most this many rows on one data page.
inline constexpr int kMostRowsOnPage = 255;

class JetDataPage {
 public:
  JetDataPage(Page& page, bool jet3) : page_(page), jet3_(jet3) {}

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
  int rowCountOffset() const { return jet3_ ? 8 : 12; }
  int lowestRowStart() const;
  void setFreeSpace(int value);

  Page& page_;
  bool jet3_;
};

// Little-endian access to page bytes.
std::uint16_t getU16(const Page& page, std::size_t at);
std::uint32_t getU32(const Page& page, std::size_t at);
void putU16(Page& page, std::size_t at, std::uint16_t value);
void putU32(Page& page, std::size_t at, std::uint32_t value);

}  // namespace tiermend::data::jet
