// Walking a Jet table's data pages and row offsets, checking each against the page.
#include "data/providers/jet/tables/JetRowWalk.h"

#include <stdexcept>

#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/pages/JetUsageMap.h"

namespace tiermend::data::jet {
namespace {

std::string pageText(std::uint32_t page) {
  return "page " + std::to_string(page);
}

}  // namespace

JetRowWalk::JetRowWalk(const JetPageStore& pages, const JetFormat& format,
                       const JetTableDefinition& table, std::string tableName, std::string file,
                       bool countTrusted)
    : store_(pages),
      format_(format),
      table_(table),
      tableName_(std::move(tableName)),
      file_(std::move(file)),
      countTrusted_(countTrusted) {
  pages_ = pagesOfTable();
}

void JetRowWalk::damaged(const std::string& what) const {
  throw damagedTable(tableName_, file_, what);
}

// The pages the table's page map lists: the map is the row its definition points at.
std::vector<std::uint32_t> JetRowWalk::pagesOfTable() {
  const std::uint32_t holder = pageOfPointer(table_.ownedMap);
  if (holder == 0 || holder >= store_.pageCount()) {
    damaged("its page map lies on " + pageText(holder) + ", outside the file");
  }
  Page page;
  load(holder, page);
  JetRowBounds bounds;
  if (!rowBounds(page, format_, rowOfPointer(table_.ownedMap), bounds) ||
      bounds.start == bounds.end) {
    damaged("its page map is no row of " + pageText(holder));
  }
  const PageReader readPage = [this](std::uint32_t number, std::vector<std::uint8_t>& buffer) {
    store_.read(number, buffer);
    return true;
  };
  try {
    return pagesOfMap(page.data() + bounds.start, bounds.end - bounds.start,
                      {format_.pageSize, store_.pageCount()}, readPage);
  } catch (const std::runtime_error& error) {
    damaged(error.what());
  }
}

void JetRowWalk::load(std::uint32_t number, Page& into) {
  if (number >= store_.pageCount()) damaged(pageText(number) + " lies beyond the end of the file");
  store_.read(number, into);
}

// The row offsets of a page, each checked against the page; owned is false (and the
// list empty) for a page that is no data page of this table.
std::vector<JetRowWalk::Entry> JetRowWalk::entriesOfPage(const Page& page, std::uint32_t number,
                                                         bool& owned) const {
  const std::uint8_t* bytes = page.data();
  owned = bytes[0] == static_cast<std::uint8_t>(JetPageType::Data) &&
          loadU32(bytes + format_.dataOwnerOffset) == table_.page;
  if (!owned) return {};
  const int pageSize = static_cast<int>(format_.pageSize);
  const int count = loadU16(bytes + format_.dataRowCountOffset);
  const int tableEnd = static_cast<int>(format_.rowEntryOffset(static_cast<std::size_t>(count)));
  if (tableEnd > pageSize) {
    damaged(pageText(number) + " counts " + std::to_string(count) + " rows, more than it can hold");
  }
  std::vector<Entry> entries;
  entries.reserve(static_cast<std::size_t>(count));
  int end = pageSize;
  for (int i = 0; i < count; ++i) {
    const std::uint16_t raw = loadU16(bytes + format_.rowEntryOffset(static_cast<std::size_t>(i)));
    const int start = raw & kRowStartMask;
    // Rows lie from the end of the page downwards, each ending where the one before starts.
    if (start < tableEnd || start > end) {
      damaged("the rows of " + pageText(number) + " lie outside the page or overlap");
    }
    if (start == end && (raw & kRowDeletedFlag) == 0) {
      damaged("a row of " + pageText(number) + " has no bytes");
    }
    entries.push_back({raw, start, end});
    end = start;
  }
  return entries;
}

bool JetRowWalk::moveToNextPage() {
  while (nextPage_ < pages_.size()) {
    const std::uint32_t number = pages_[nextPage_++];
    if (!walked_.insert(number).second) {
      damaged(pageText(number) + " is listed twice in its page map");
    }
    load(number, page_);
    bool owned = false;
    std::vector<Entry> entries = entriesOfPage(page_, number, owned);
    if (!owned) continue;
    pageNumber_ = number;
    entries_ = std::move(entries);
    nextEntry_ = 0;
    return true;
  }
  return false;
}

// An overflow row holds only the address of the row's bytes, moved to another page
// (or elsewhere on this one) where they are marked as a moved row.
JetRowSpan JetRowWalk::followOverflow(const Entry& pointer) {
  if (pointer.end - pointer.start < static_cast<int>(kRowPointerSize)) {
    damaged("an overflow row of " + pageText(pageNumber_) + " is cut short");
  }
  const std::uint32_t address = loadU32(page_.data() + pointer.start);
  const std::size_t row = rowOfPointer(address);
  const std::uint32_t target = pageOfPointer(address);
  const std::string from = "an overflow row of " + pageText(pageNumber_);
  if (target >= store_.pageCount()) damaged(from + " points beyond the end of the file");
  load(target, moved_);
  bool owned = false;
  const std::vector<Entry> entries = entriesOfPage(moved_, target, owned);
  if (!owned) damaged(from + " points to " + pageText(target) + ", no data page of the table");
  if (row >= entries.size() ||
      (entries[row].raw & (kRowDeletedFlag | kRowOverflowFlag)) != kRowDeletedFlag ||
      entries[row].start == entries[row].end) {
    damaged(from + " points to a row of " + pageText(target) + " that holds no moved row");
  }
  return {moved_.data() + entries[row].start,
          static_cast<std::size_t>(entries[row].end - entries[row].start)};
}

void JetRowWalk::countRow() {
  ++rowsRead_;
  if (countTrusted_ && rowsRead_ > table_.rowCount) {
    damaged("it holds more rows than the " + std::to_string(table_.rowCount) +
            " its definition counts");
  }
}

bool JetRowWalk::next(JetRowSpan& span) {
  for (;;) {
    if (nextEntry_ >= entries_.size()) {
      if (moveToNextPage()) continue;
      if (countTrusted_ && rowsRead_ != table_.rowCount) {
        damaged("only " + std::to_string(rowsRead_) + " of the " + std::to_string(table_.rowCount) +
                " rows its definition counts were found");
      }
      return false;
    }
    const Entry entry = entries_[nextEntry_++];
    if (entry.raw & kRowDeletedFlag) continue;
    if (entry.raw & kRowOverflowFlag) {
      span = followOverflow(entry);
    } else {
      span = {page_.data() + entry.start, static_cast<std::size_t>(entry.end - entry.start)};
    }
    countRow();
    return true;
  }
}

}  // namespace tiermend::data::jet
