// Reading and changing the row-offset table and free space of a Jet data page.
#include "data/providers/jet/pages/JetDataPage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "data/EngineError.h"

namespace tiermend::data::jet {

bool rowBounds(const Page& page, const JetFormat& format, std::size_t row, JetRowBounds& bounds) {
  if (page.size() != format.pageSize || page[0] != static_cast<std::uint8_t>(JetPageType::Data)) {
    return false;
  }
  const std::size_t count = loadU16(page.data() + format.dataRowCountOffset);
  const std::size_t tableEnd = format.rowEntryOffset(count);
  if (row >= count || tableEnd > page.size()) return false;
  bounds.entry = loadU16(page.data() + format.rowEntryOffset(row));
  bounds.start = bounds.entry & kRowStartMask;
  bounds.end = row == 0 ? page.size()
                        : loadU16(page.data() + format.rowEntryOffset(row - 1)) & kRowStartMask;
  return bounds.start >= tableEnd && bounds.start <= bounds.end && bounds.end <= page.size();
}

void JetDataPage::initialise(Page& page, bool jet3, std::uint32_t tableDefinition) {
  std::fill(page.begin(), page.end(), 0);
  const JetFormat& format = jetFormat(jet3);
  page[0] = static_cast<std::uint8_t>(JetPageType::Data);
  page[1] = kPageSecondByte;
  storeU32(page.data() + format.dataOwnerOffset, tableDefinition);
  JetDataPage(page, jet3).setFreeSpace(static_cast<int>(page.size() - format.rowEntriesStart()));
}

// A damaged row count must not lead outside the page: offsets are checked against its
// end, as the page's own bounds-checked access would.
const std::uint8_t* JetDataPage::inside(std::size_t at, std::size_t width) const {
  if (at + width > page_.size()) {
    throw std::out_of_range("An offset of " + std::to_string(at) + " lies outside a data page.");
  }
  return page_.data() + at;
}

std::uint8_t* JetDataPage::inside(std::size_t at, std::size_t width) {
  return const_cast<std::uint8_t*>(std::as_const(*this).inside(at, width));
}

bool JetDataPage::isDataPageOf(std::uint32_t tableDefinition) const {
  return page_[0] == static_cast<std::uint8_t>(JetPageType::Data) &&
         loadU32(inside(format_.dataOwnerOffset, sizeof(std::uint32_t))) == tableDefinition;
}

int JetDataPage::rowCount() const {
  return loadU16(inside(format_.dataRowCountOffset, kDataRowCountSize));
}

std::uint16_t JetDataPage::rowEntry(int row) const {
  return loadU16(inside(entryOffset(row), kRowEntrySize));
}

int JetDataPage::freeSpace() const {
  return loadU16(inside(format_.dataFreeSpaceOffset, sizeof(std::uint16_t)));
}

void JetDataPage::setFreeSpace(int value) {
  storeU16(inside(format_.dataFreeSpaceOffset, sizeof(std::uint16_t)),
           static_cast<std::uint16_t>(value));
}

bool JetDataPage::allRowsDeleted() const {
  const int count = rowCount();
  for (int row = 0; row < count; ++row) {
    if ((rowEntry(row) & kRowDeletedFlag) == 0) return false;
  }
  return true;
}

int JetDataPage::markAllDeleted() {
  const int count = rowCount();
  int live = 0;
  for (int row = 0; row < count; ++row) {
    const std::uint16_t entry = rowEntry(row);
    if ((entry & kRowDeletedFlag) == 0 && (entry & kRowOverflowFlag) == 0) ++live;
    storeU16(inside(entryOffset(row), kRowEntrySize),
             static_cast<std::uint16_t>(entry | kRowDeletedFlag | kRowOverflowFlag));
  }
  return live;
}

int JetDataPage::lowestRowStart() const {
  int lowest = static_cast<int>(page_.size());
  const int count = rowCount();
  for (int row = 0; row < count; ++row) lowest = std::min(lowest, rowEntry(row) & kRowStartMask);
  return lowest;
}

bool JetDataPage::fits(std::size_t size) const {
  return rowCount() < kMostRowsOnPage && static_cast<int>(size + kRowEntrySize) <= freeSpace();
}

void JetDataPage::addRow(const std::uint8_t* row, std::size_t size) {
  const int count = rowCount();
  const int tableEnd = static_cast<int>(entryOffset(count + 1));
  const int start = lowestRowStart() - static_cast<int>(size);
  if (!fits(size) || start < tableEnd) {
    throw EngineError("Internal error: a row was placed on a data page without room for it.");
  }
  std::memcpy(page_.data() + start, row, size);
  storeU16(inside(entryOffset(count), kRowEntrySize), static_cast<std::uint16_t>(start));
  storeU16(inside(format_.dataRowCountOffset, kDataRowCountSize),
           static_cast<std::uint16_t>(count + 1));
  setFreeSpace(freeSpace() - static_cast<int>(size + kRowEntrySize));
}

}  // namespace tiermend::data::jet
