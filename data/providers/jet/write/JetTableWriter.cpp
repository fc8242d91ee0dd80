// Deleting and appending rows of one Jet table.
#include "data/providers/jet/write/JetTableWriter.h"

#include <glib.h>

#include "data/EngineError.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/value/GuidText.h"

namespace tiermend::data::jet {

JetTableWriter::JetTableWriter(JetPageCache& cache, JetUsageMap& globalMap, JetTableLayout layout,
                               JetRowDigest baseline, const JetTextCodec& text,
                               std::unique_ptr<JetIndexWriter> indexes)
    : cache_(cache),
      globalMap_(globalMap),
      layout_(std::move(layout)),
      ownedMap_(cache, layout_.ownedMap),
      freeMap_(cache, layout_.freeMap),
      packer_(layout_, text),
      digest_(baseline),
      indexes_(std::move(indexes)) {
  rowCount_ = loadU32(cache_.page(layout_.definitionPage).data() + layout_.rowCountOffset);
  emptied_ = rowCount_ == 0;
}

std::uint32_t JetTableWriter::allocate(const Page& page) {
  const std::uint32_t number = cache_.file().append(page);
  globalMap_.markAllocated(number);
  return number;
}

void JetTableWriter::storeRowCount(std::uint32_t count) {
  rowCount_ = count;
  storeU32(cache_.page(layout_.definitionPage).data() + layout_.rowCountOffset, count);
  cache_.changed(layout_.definitionPage);
}

std::int64_t JetTableWriter::deleteAll() {
  writeCurrentPage();
  currentNumber_.reset();
  const std::int64_t before = rowCount_;
  reusable_.clear();
  for (std::uint32_t number : ownedMap_.pages()) {
    Page page = cache_.file().read(number);
    JetDataPage data(page, layout_.jet3);
    // A table owns its data pages and, for large tables, nothing else that holds rows.
    if (!data.isDataPageOf(layout_.definitionPage)) continue;
    if (data.rowCount() > 0 && !data.allRowsDeleted()) {
      data.markAllDeleted();
      cache_.file().write(number, page);
    }
    reusable_.push_back(number);
  }
  storeRowCount(0);
  digest_ = JetRowDigest{};
  if (indexes_) indexes_->clear();
  emptied_ = true;
  lookedForRoom_ = true;  // every owned page is in reusable_ already
  return before;
}

void JetTableWriter::mapColumns(const std::vector<std::string>& columns) {
  if (columns == mappedNames_ && !mapped_.empty()) return;
  mapped_.clear();
  for (const std::string& name : columns) {
    int found = -1;
    for (std::size_t i = 0; i < layout_.columns.size() && found < 0; ++i) {
      if (sameJetName(name, layout_.columns[i].name.c_str())) found = static_cast<int>(i);
    }
    if (found < 0) {
      throw EngineError("The column '" + name + "' does not exist in the table '" + layout_.name +
                        "'.");
    }
    const JetColumnLayout& column = layout_.columns[static_cast<std::size_t>(found)];
    if (column.autoNumber || column.autoGuid) {
      throw EngineError("Field '" + column.name + "' cannot be modified");
    }
    mapped_.push_back(found);
  }
  mappedNames_ = columns;
}

void JetTableWriter::insert(const std::vector<std::string>& columns,
                            const std::vector<Value>& values) {
  if (columns.size() != values.size()) {
    throw EngineError("Internal error: the number of values does not match the columns.");
  }
  mapColumns(columns);
  if (indexes_ && !emptied_) {
    throw EngineError("Cannot add rows to table '" + layout_.name +
                      "' without emptying it first: its indexes are rebuilt from the rows this "
                      "program writes.");
  }
  row_.assign(layout_.columns.size(), Null{});
  for (std::size_t i = 0; i < values.size(); ++i) {
    row_[static_cast<std::size_t>(mapped_[i])] = values[i];
  }
  std::uint32_t nextAuto = 0;
  for (std::size_t i = 0; i < layout_.columns.size(); ++i) {
    const JetColumnLayout& column = layout_.columns[i];
    if (column.autoNumber) {
      const std::uint32_t last =
          loadU32(cache_.page(layout_.definitionPage).data() + layout_.autoNumberOffset);
      if (last >= static_cast<std::uint32_t>(INT32_MAX)) {
        throw EngineError("The auto-number field '" + column.name + "' has no numbers left.");
      }
      nextAuto = last + 1;
      row_[i] = std::int64_t{nextAuto};
    } else if (column.autoGuid) {
      Bytes random(16);
      for (auto& byte : random) byte = static_cast<std::uint8_t>(g_random_int_range(0, 256));
      random[7] = static_cast<std::uint8_t>((random[7] & 0x0F) | 0x40);  // version 4
      random[8] = static_cast<std::uint8_t>((random[8] & 0x3F) | 0x80);
      row_[i] = guidTextFromBytes(random.data());
    }
  }
  if (indexes_) storeZeroAsPositive();
  const std::vector<std::uint8_t>& packed = packer_.pack(row_);
  packer_.storedValues(stored_);
  // An index refuses the row before it is placed, so a refused row leaves no trace. Its
  // keys come from the values just packed, through the codecs that packed them.
  if (indexes_) indexes_->admit(row_, packer_.codecs());
  const JetRowId placed = placeRow(packed);
  if (indexes_) indexes_->record(placed);
  if (nextAuto != 0) {
    storeU32(cache_.page(layout_.definitionPage).data() + layout_.autoNumberOffset, nextAuto);
  }
  storeRowCount(rowCount_ + 1);
  digest_.add(stored_);
}

// Index keys order -0 below +0, which a lookup of the value 0 would miss; the row keeps
// +0 instead, the same number.
void JetTableWriter::storeZeroAsPositive() {
  for (std::size_t i = 0; i < layout_.columns.size(); ++i) {
    const int type = layout_.columns[i].type;
    double* number = std::get_if<double>(&row_[i]);
    if ((type == kJetSingle || type == kJetDouble) && number != nullptr && *number == 0.0) {
      *number = 0.0;
    }
  }
}

JetRowId JetTableWriter::placeRow(const std::vector<std::uint8_t>& row) {
  if (currentNumber_) {
    JetDataPage data(current_, layout_.jet3);
    if (data.fits(row.size())) {
      data.addRow(row.data(), row.size());
      currentChanged_ = true;
      return {*currentNumber_, static_cast<std::uint8_t>(data.rowCount() - 1)};
    }
    // Full for this row: no longer offered for inserts.
    writeCurrentPage();
    freeMap_.remove(*currentNumber_);
  }
  nextPage();
  JetDataPage data(current_, layout_.jet3);
  if (!data.fits(row.size())) {
    throw EngineError("The record is too large for a page of table '" + layout_.name + "'.");
  }
  data.addRow(row.data(), row.size());
  currentChanged_ = true;
  return {*currentNumber_, static_cast<std::uint8_t>(data.rowCount() - 1)};
}

// The next page to fill: first a page of the table that still has room (the last one
// the free-space map names), then the pages emptied by a delete, then a new one.
void JetTableWriter::nextPage() {
  auto allocator = [this](const Page& page) { return allocate(page); };
  if (!lookedForRoom_) {
    lookedForRoom_ = true;
    const std::vector<std::uint32_t> withRoom = freeMap_.pages();
    for (auto it = withRoom.rbegin(); it != withRoom.rend(); ++it) {
      if (*it >= cache_.file().pageCount() || !ownedMap_.contains(*it)) continue;
      Page page = cache_.file().read(*it);
      if (!JetDataPage(page, layout_.jet3).isDataPageOf(layout_.definitionPage)) continue;
      current_ = std::move(page);
      currentNumber_ = *it;
      currentChanged_ = false;
      return;
    }
  }
  if (!reusable_.empty()) {
    const std::uint32_t number = reusable_.front();
    reusable_.pop_front();
    current_.assign(static_cast<std::size_t>(cache_.file().pageSize()), 0);
    JetDataPage::initialise(current_, layout_.jet3, layout_.definitionPage);
    currentNumber_ = number;
    currentChanged_ = true;
    freeMap_.add(number, allocator);
    return;
  }
  current_.assign(static_cast<std::size_t>(cache_.file().pageSize()), 0);
  JetDataPage::initialise(current_, layout_.jet3, layout_.definitionPage);
  const std::uint32_t number = allocate(current_);
  ownedMap_.add(number, allocator);
  freeMap_.add(number, allocator);
  currentNumber_ = number;
  currentChanged_ = false;
}

void JetTableWriter::writeCurrentPage() {
  if (currentNumber_ && currentChanged_) {
    cache_.file().write(*currentNumber_, current_);
    currentChanged_ = false;
  }
}

// The indexes are written here only, once for all the rows added since: rebuilding them
// is the costly part of a refresh.
void JetTableWriter::flush() {
  writeCurrentPage();
  if (indexes_ && indexes_->stale()) indexes_->write(cache_, globalMap_);
}

}  // namespace tiermend::data::jet
