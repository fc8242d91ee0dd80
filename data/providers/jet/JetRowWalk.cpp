// Walking a Jet table's data pages and row offsets, checking each against the page.
#include "data/providers/jet/JetRowWalk.h"

#include <cstring>
#include <stdexcept>

#include "data/providers/jet/JetDamage.h"
#include "data/providers/jet/JetPageMap.h"
#include "data/providers/jet/JetValues.h"

namespace tiermend::data::jet {
namespace {

constexpr std::uint16_t kDeletedFlag = 0x8000;
constexpr std::uint16_t kOverflowFlag = 0x4000;
constexpr std::uint16_t kOffsetMask = 0x1FFF;
constexpr std::uint8_t kDataPageType = 1;
constexpr std::size_t kOwnerOffset = 4;          // the table definition page of a data page
constexpr std::size_t kOverflowPointerSize = 4;  // row number, then a 3-byte page number

std::string pageText(std::uint32_t page) {
  return "page " + std::to_string(page);
}

}  // namespace

JetRowWalk::JetRowWalk(MdbHandle* mdb, MdbTableDef* table, std::string file,
                       std::uint32_t pageCount)
    : mdb_(mdb), table_(table), file_(std::move(file)), pageCount_(pageCount) {
  const auto pageSize = static_cast<std::size_t>(mdb_->fmt->pg_size);
  const PageReader readPage = [this, pageSize](std::uint32_t page,
                                               std::vector<std::uint8_t>& buffer) {
    if (mdb_read_alt_pg(mdb_, page) != static_cast<ssize_t>(pageSize)) return false;
    std::memcpy(buffer.data(), mdb_->alt_pg_buf, pageSize);
    return true;
  };
  try {
    pages_ = pagesOfMap(table_->usage_map, table_->map_sz, {pageSize, pageCount_}, readPage);
  } catch (const std::runtime_error& error) {
    damaged(error.what());
  }
  countTrusted_ = mdb_is_system_table(table_->entry) == 0;
}

void JetRowWalk::damaged(const std::string& what) const {
  throw damagedTable(table_->name, file_, what);
}

void JetRowWalk::load(std::uint32_t page) {
  if (page != 0 && page == loaded_) return;
  if (page >= pageCount_) damaged(pageText(page) + " lies beyond the end of the file");
  mdb_->cur_pg = 0;  // libmdb skips reading a page it believes is loaded already
  if (mdb_read_pg(mdb_, page) != mdb_->fmt->pg_size) damaged(pageText(page) + " cannot be read");
  loaded_ = page;
}

// The row offsets of a page, each checked against the page; owned is false (and the
// list empty) for a page that is no data page of this table.
std::vector<JetRowWalk::Entry> JetRowWalk::entriesOfPage(std::uint32_t page, bool& owned) {
  load(page);
  const std::uint8_t* bytes = mdb_->pg_buf;
  owned = bytes[0] == kDataPageType &&
          static_cast<std::uint32_t>(readInt32(bytes + kOwnerOffset)) == table_->entry->table_pg;
  if (!owned) return {};
  const int pageSize = static_cast<int>(mdb_->fmt->pg_size);
  const int countOffset = mdb_->fmt->row_count_offset;
  const int count = static_cast<std::uint16_t>(readInt16(bytes + countOffset));
  const int tableEnd = countOffset + 2 + 2 * count;
  if (tableEnd > pageSize) {
    damaged(pageText(page) + " counts " + std::to_string(count) + " rows, more than it can hold");
  }
  std::vector<Entry> entries;
  entries.reserve(static_cast<std::size_t>(count));
  int end = pageSize;
  for (int i = 0; i < count; ++i) {
    const auto raw = static_cast<std::uint16_t>(readInt16(bytes + countOffset + 2 + 2 * i));
    const int start = raw & kOffsetMask;
    // Rows lie from the end of the page downwards, each ending where the one before starts.
    if (start < tableEnd || start > end) {
      damaged("the rows of " + pageText(page) + " lie outside the page or overlap");
    }
    if (start == end && (raw & kDeletedFlag) == 0) {
      damaged("a row of " + pageText(page) + " has no bytes");
    }
    entries.push_back({raw, start, end});
    end = start;
  }
  return entries;
}

bool JetRowWalk::moveToNextPage() {
  while (nextPage_ < pages_.size()) {
    const std::uint32_t page = pages_[nextPage_++];
    if (!walked_.insert(page).second) damaged(pageText(page) + " is listed twice in its page map");
    bool owned = false;
    std::vector<Entry> entries = entriesOfPage(page, owned);
    if (!owned) continue;
    page_ = page;
    entries_ = std::move(entries);
    nextEntry_ = 0;
    return true;
  }
  return false;
}

// An overflow row holds only the address of the row's bytes, moved to another page
// (or elsewhere on this one) where they are marked as a moved row.
JetRowSpan JetRowWalk::followOverflow(const Entry& pointer) {
  load(page_);
  if (pointer.end - pointer.start < static_cast<int>(kOverflowPointerSize)) {
    damaged("an overflow row of " + pageText(page_) + " is cut short");
  }
  const std::uint8_t* bytes = mdb_->pg_buf + pointer.start;
  const std::size_t row = bytes[0];
  const std::uint32_t target = bytes[1] | (bytes[2] << 8) | (bytes[3] << 16);
  const std::string from = "an overflow row of " + pageText(page_);
  if (target >= pageCount_) damaged(from + " points beyond the end of the file");
  bool owned = false;
  const std::vector<Entry> entries = entriesOfPage(target, owned);
  if (!owned) damaged(from + " points to " + pageText(target) + ", no data page of the table");
  if (row >= entries.size() ||
      (entries[row].raw & (kDeletedFlag | kOverflowFlag)) != kDeletedFlag ||
      entries[row].start == entries[row].end) {
    damaged(from + " points to a row of " + pageText(target) + " that holds no moved row");
  }
  rowPage_ = target;
  return {entries[row].start, static_cast<std::size_t>(entries[row].end - entries[row].start)};
}

void JetRowWalk::countRow() {
  ++rowsRead_;
  if (countTrusted_ && rowsRead_ > table_->num_rows) {
    damaged("it holds more rows than the " + std::to_string(table_->num_rows) +
            " its definition counts");
  }
}

bool JetRowWalk::next(JetRowSpan& span) {
  for (;;) {
    if (nextEntry_ >= entries_.size()) {
      if (moveToNextPage()) continue;
      if (countTrusted_ && rowsRead_ != table_->num_rows) {
        damaged("only " + std::to_string(rowsRead_) + " of the " +
                std::to_string(table_->num_rows) + " rows its definition counts were found");
      }
      return false;
    }
    const Entry entry = entries_[nextEntry_++];
    if (entry.raw & kDeletedFlag) continue;
    if (entry.raw & kOverflowFlag) {
      span = followOverflow(entry);
    } else {
      load(page_);
      rowPage_ = page_;
      span = {entry.start, static_cast<std::size_t>(entry.end - entry.start)};
    }
    countRow();
    return true;
  }
}

}  // namespace tiermend::data::jet
