// Deleting and appending rows of one Jet table.
#include "data/providers/jet/write/JetTableWriter.h"

#include "data/EngineError.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/tables/JetWritableTable.h"
#include "data/value/GuidText.h"

namespace tiermend::data::jet {

namespace {

// A generator seeded from the system's entropy, once for each writer.
std::mt19937_64 seededGenerator() {
  std::random_device device;
  std::seed_seq seed{device(), device(), device(), device()};
  return std::mt19937_64(seed);
}

// A random (version 4) GUID's sixteen bytes.
Bytes randomGuidBytes(std::mt19937_64& random) {
  Bytes bytes(16);
  for (std::size_t at = 0; at < bytes.size(); at += 8) storeU64(bytes.data() + at, random());
  bytes[7] = static_cast<std::uint8_t>((bytes[7] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
  return bytes;
}

}  // namespace

JetTableWriter::JetTableWriter(JetPageCache& cache, JetUsageMap& globalMap,
                               std::shared_ptr<const JetTable> table, const JetFormat& format,
                               JetRowDigest baseline, const JetTextCodec& text,
                               std::unique_ptr<JetIndexWriter> indexes)
    : cache_(cache),
      globalMap_(globalMap),
      table_(std::move(table)),
      format_(format),
      definition_(cache, table_->definition),
      ownedMap_(cache, table_->definition.ownedMap, table_->name),
      freeMap_(cache, table_->definition.freeMap, table_->name),
      packer_(table_->name, table_->definition, format, text),
      digest_(baseline),
      indexes_(std::move(indexes)),
      random_(seededGenerator()) {
  rowCount_ = definition_.readU32(format_.rowCountOffset);
  emptied_ = rowCount_ == 0;
}

std::uint32_t JetTableWriter::allocate(const Page& page) {
  const std::uint32_t number = cache_.file().append(page);
  globalMap_.markAllocated(number);
  return number;
}

void JetTableWriter::storeRowCount(std::uint32_t count) {
  rowCount_ = count;
  definition_.writeU32(format_.rowCountOffset, count);
}

std::int64_t JetTableWriter::deleteAll() {
  writeCurrentPage();
  currentNumber_.reset();
  const std::int64_t before = rowCount_;
  reusable_.clear();
  for (std::uint32_t number : ownedMap_.pages()) {
    Page page = cache_.file().read(number);
    JetDataPage data(page, format_.jet3);
    // A table owns its data pages and, for large tables, nothing else that holds rows.
    if (!data.isDataPageOf(definitionPage())) continue;
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
  for (const std::string& given : columns) {
    int found = -1;
    for (std::size_t i = 0; i < definedColumns().size() && found < 0; ++i) {
      if (sameJetName(given, definedColumns()[i].name.c_str())) found = static_cast<int>(i);
    }
    if (found < 0) {
      throw EngineError("The column '" + given + "' does not exist in the table '" + name() + "'.");
    }
    const JetColumnDefinition& column = definedColumns()[static_cast<std::size_t>(found)];
    if (isAutoNumber(column) || isAutoGuid(column)) {
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
    throw EngineError("Cannot add rows to table '" + name() +
                      "' without emptying it first: its indexes are rebuilt from the rows this "
                      "program writes.");
  }
  row_.assign(definedColumns().size(), Null{});
  for (std::size_t i = 0; i < values.size(); ++i) {
    row_[static_cast<std::size_t>(mapped_[i])] = values[i];
  }
  const std::uint32_t nextAuto = fillAutoValues();
  if (indexes_) storeZeroAsPositive();
  const std::vector<std::uint8_t>& packed = packer_.pack(row_);
  packer_.storedValues(stored_);
  // An index refuses the row before it is placed, so a refused row leaves no trace. Its
  // keys come from the values just packed, through the codecs that packed them.
  if (indexes_) indexes_->admit(row_, packer_.codecs());
  const JetRowId placed = placeRow(packed);
  if (indexes_) indexes_->record(placed);
  if (nextAuto != 0) definition_.writeU32(format_.autoNumberOffset, nextAuto);
  storeRowCount(rowCount_ + 1);
  digest_.add(stored_);
}

// Gives the row its auto-number and Replication IDs; returns the auto-number taken, or
// 0 when the table has none. The definition keeps the last number given out.
std::uint32_t JetTableWriter::fillAutoValues() {
  std::uint32_t nextAuto = 0;
  for (std::size_t i = 0; i < definedColumns().size(); ++i) {
    const JetColumnDefinition& column = definedColumns()[i];
    if (isAutoNumber(column)) {
      const std::uint32_t last = definition_.readU32(format_.autoNumberOffset);
      if (last >= static_cast<std::uint32_t>(INT32_MAX)) {
        throw EngineError("The auto-number field '" + column.name + "' has no numbers left.");
      }
      nextAuto = last + 1;
      row_[i] = std::int64_t{nextAuto};
    } else if (isAutoGuid(column)) {
      row_[i] = guidTextFromBytes(randomGuidBytes(random_).data());
    }
  }
  return nextAuto;
}

// Index keys order -0 below +0, which a lookup of the value 0 would miss; the row keeps
// +0 instead, the same number.
void JetTableWriter::storeZeroAsPositive() {
  for (std::size_t i = 0; i < definedColumns().size(); ++i) {
    const int type = definedColumns()[i].kind;
    double* number = std::get_if<double>(&row_[i]);
    if ((type == kJetSingle || type == kJetDouble) && number != nullptr && *number == 0.0) {
      *number = 0.0;
    }
  }
}

JetRowId JetTableWriter::placeRow(const std::vector<std::uint8_t>& row) {
  if (currentNumber_) {
    JetDataPage data(current_, format_.jet3);
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
  JetDataPage data(current_, format_.jet3);
  if (!data.fits(row.size())) {
    throw EngineError("The record is too large for a page of table '" + name() + "'.");
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
      if (!JetDataPage(page, format_.jet3).isDataPageOf(definitionPage())) continue;
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
    JetDataPage::initialise(current_, format_.jet3, definitionPage());
    currentNumber_ = number;
    currentChanged_ = true;
    freeMap_.add(number, allocator);
    return;
  }
  current_.assign(static_cast<std::size_t>(cache_.file().pageSize()), 0);
  JetDataPage::initialise(current_, format_.jet3, definitionPage());
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
  if (indexes_ && indexes_->stale()) indexes_->write(cache_, globalMap_, definition_);
}

}  // namespace tiermend::data::jet
