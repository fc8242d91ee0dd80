// Reading and changing the row-offset table and free space of a Jet data page.
#include "data/providers/jet/pages/JetDataPage.h"

#include <algorithm>
#include <cstring>

#include "data/EngineError.h"

namespace tiermend::data::jet {

std::uint16_t getU16(const Page& page, std::size_t at) {
  return static_cast<std::uint16_t>(page.at(at) | page.at(at + 1) << 8);
}

std::uint32_t getU32(const Page& page, std::size_t at) {
  return static_cast<std::uint32_t>(getU16(page, at)) |
         static_cast<std::uint32_t>(getU16(page, at + 2)) << 16;
}

void putU16(Page& page, std::size_t at, std::uint16_t value) {
  page.at(at) = static_cast<std::uint8_t>(value);
  page.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

void putU32(Page& page, std::size_t at, std::uint32_t value) {
  putU16(page, at, static_cast<std::uint16_t>(value));
  putU16(page, at + 2, static_cast<std::uint16_t>(value >> 16));
}

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
  page[1] = 0x01;
  putU32(page, format.dataOwnerOffset, tableDefinition);
  JetDataPage data(page, jet3);
  data.setFreeSpace(static_cast<int>(page.size()) - (data.rowCountOffset() + 2));
}

bool JetDataPage::isDataPageOf(std::uint32_t tableDefinition) const {
  return page_[0] == static_cast<std::uint8_t>(JetPageType::Data) &&
         getU32(page_, format_.dataOwnerOffset) == tableDefinition;
}

int JetDataPage::rowCount() const {
  return getU16(page_, static_cast<std::size_t>(rowCountOffset()));
}

std::uint16_t JetDataPage::rowEntry(int row) const {
  return getU16(page_, static_cast<std::size_t>(rowCountOffset() + 2 + 2 * row));
}

int JetDataPage::freeSpace() const {
  return getU16(page_, format_.dataFreeSpaceOffset);
}

void JetDataPage::setFreeSpace(int value) {
  putU16(page_, format_.dataFreeSpaceOffset, static_cast<std::uint16_t>(value));
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
    putU16(page_, static_cast<std::size_t>(rowCountOffset() + 2 + 2 * row),
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
  return rowCount() < kMostRowsOnPage && static_cast<int>(size) + 2 <= freeSpace();
}

void JetDataPage::addRow(const std::uint8_t* row, std::size_t size) {
  const int count = rowCount();
  const int tableEnd = rowCountOffset() + 2 + 2 * (count + 1);
  const int start = lowestRowStart() - static_cast<int>(size);
  if (!fits(size) || start < tableEnd) {
    throw EngineError("Internal error: a row was placed on a data page without room for it.");
  }
  std::memcpy(page_.data() + start, row, size);
  putU16(page_, static_cast<std::size_t>(rowCountOffset() + 2 + 2 * count),
         static_cast<std::uint16_t>(start));
  putU16(page_, static_cast<std::size_t>(rowCountOffset()), static_cast<std::uint16_t>(count + 1));
  setFreeSpace(freeSpace() - static_cast<int>(size) - 2);
}

}  // namespace tiermend::data::jet
