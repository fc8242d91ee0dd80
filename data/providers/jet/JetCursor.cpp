// Reading rows of a Jet table through libmdb, value by value from the raw row bytes.
#include "data/providers/jet/JetCursor.h"

#include "data/EngineError.h"
#include "data/providers/jet/JetColumns.h"
#include "data/providers/jet/JetLongValue.h"
#include "data/providers/jet/JetText.h"
#include "data/providers/jet/JetValues.h"
#include "data/value/Calendar.h"
#include "data/value/GuidText.h"

namespace tiermend::data::jet {

namespace {

constexpr int kRowOffsetMask = 0x1FFF;  // the row offset without its flag bits

MdbColumn& columnAt(MdbTableDef* table, int index) {
  return *static_cast<MdbColumn*>(g_ptr_array_index(table->columns, static_cast<guint>(index)));
}

}  // namespace

JetCursor::JetCursor(std::shared_ptr<JetDatabase> database, const std::string& table,
                     const std::vector<std::string>& columns)
    : database_(std::move(database)), table_(database_->openTable(table)) {
  baseTable_ = table_->name;
  selectColumns(columns);
  fields_.resize(table_->num_cols);
  fieldIndex_.assign(table_->num_cols, -1);
}

void JetCursor::selectColumns(const std::vector<std::string>& names) {
  const int count = static_cast<int>(table_->num_cols);
  if (names.empty()) {
    for (int i = 0; i < count; ++i) sources_.push_back(i);
  }
  for (const auto& name : names) {
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i) {
      if (sameJetName(name, columnAt(table_.get(), i).name)) found = i;
    }
    if (found < 0) {
      throw EngineError("The column '" + name + "' does not exist in the table '" + baseTable_ +
                        "'.");
    }
    sources_.push_back(found);
  }
  for (int source : sources_) {
    columns_.push_back(describeColumn(columnAt(table_.get(), source), database_->header.jet3));
  }
}

// Another cursor (or the opening of a table) may have replaced the data page in the
// shared handle since this cursor last read from it.
void JetCursor::restorePage() {
  if (started_ && database_->pageOwner != this) {
    MdbHandle* mdb = database_->handle.get();
    mdb->cur_pg = 0;  // libmdb skips reading the page it believes is loaded already
    if (mdb_read_pg(mdb, table_->cur_phys_pg) <= 0) damagedRow();
  }
  database_->pageOwner = this;
}

bool JetCursor::fetch(std::vector<Value>& row) {
  if (finished_) return false;
  restorePage();
  if (!mdb_fetch_row(table_.get())) {
    finished_ = true;
    // libmdb ends a table quietly when a page cannot be read; a table that gives fewer
    // rows than its definition counts is damaged, and saying so beats losing rows.
    if (rowsRead_ < table_->num_rows) {
      throw EngineError("The table '" + baseTable_ + "' is damaged: only " +
                        std::to_string(rowsRead_) + " of its " + std::to_string(table_->num_rows) +
                        " rows could be read.");
    }
    return false;
  }
  started_ = true;
  ++rowsRead_;
  crackCurrentRow();
  row.clear();
  row.reserve(columns_.size());
  for (std::size_t i = 0; i < columns_.size(); ++i)
    row.push_back(readValue(sources_[i], columns_[i]));
  return true;
}

// mdb_fetch_row leaves the row's page loaded and its number one below cur_row; divide
// the row again to learn, column by column, where its bytes lie and whether it is null.
void JetCursor::crackCurrentRow() {
  MdbHandle* mdb = database_->handle.get();
  int start = 0;
  std::size_t size = 0;
  if (table_->cur_row == 0 ||
      mdb_find_row(mdb, static_cast<int>(table_->cur_row) - 1, &start, &size) != 0) {
    damagedRow();
  }
  start &= kRowOffsetMask;
  if (mdb_crack_row(table_.get(), start, size, fields_.data()) < 0) damagedRow();
  fieldIndex_.assign(table_->num_cols, -1);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const int column = fields_[i].colnum;
    if (column < 0 || column >= static_cast<int>(fields_.size())) damagedRow();
    fieldIndex_[static_cast<std::size_t>(column)] = static_cast<int>(i);
  }
}

const MdbField& JetCursor::fieldOf(int tableColumn) const {
  const int index = fieldIndex_[static_cast<std::size_t>(tableColumn)];
  if (index < 0) damagedRow();
  return fields_[static_cast<std::size_t>(index)];
}

Value JetCursor::readValue(int tableColumn, const ColumnInfo& info) const {
  const MdbColumn& column = columnAt(table_.get(), tableColumn);
  const MdbField& field = fieldOf(tableColumn);
  // A Yes/No value is the column's bit in the null mask: set means Yes.
  if (column.col_type == MDB_BOOL) return Value{field.is_null == 0};
  if (field.is_null) return Null{};
  const auto pageSize = static_cast<long>(database_->handle->fmt->pg_size);
  if (field.start < 0 || field.siz < 0 || static_cast<long>(field.start) + field.siz > pageSize) {
    damagedRow();
  }
  MdbHandle* mdb = database_->handle.get();
  const std::uint8_t* bytes = mdb->pg_buf + field.start;
  const auto size = static_cast<std::size_t>(field.siz);
  switch (column.col_type) {
    case MDB_TEXT:
      return readText(field);
    case MDB_MEMO: {
      const Bytes stored = readLongValue(mdb, bytes, size, column.name);
      if (database_->header.jet3) return database_->decodeJet3Text(stored.data(), stored.size());
      return decodeJet4Text(stored.data(), stored.size());
    }
    case MDB_OLE:
      return readLongValue(mdb, bytes, size, column.name);
    case MDB_BINARY:
      return Bytes(bytes, bytes + size);
    default:
      break;
  }
  if (fixedValueWidth(column.col_type) == 0) return Bytes(bytes, bytes + size);
  return readFixed(column, field, info);
}

Value JetCursor::readFixed(const MdbColumn& column, const MdbField& field,
                           const ColumnInfo& info) const {
  if (field.siz < fixedValueWidth(column.col_type)) damagedRow();
  const std::uint8_t* bytes = database_->handle->pg_buf + field.start;
  switch (column.col_type) {
    case MDB_BYTE:
      return std::int64_t{bytes[0]};
    case MDB_INT:
      return std::int64_t{readInt16(bytes)};
    case MDB_LONGINT:
    case MDB_COMPLEX:
      return std::int64_t{readInt32(bytes)};
    case kMdbBigInt:
      return readInt64(bytes);
    case MDB_MONEY:
      return currencyFromUnits(readInt64(bytes));
    case MDB_FLOAT:
      return static_cast<double>(readSingle(bytes));
    case MDB_DOUBLE:
      return readDouble(bytes);
    case MDB_REPID:
      return guidTextFromBytes(bytes);
    case MDB_NUMERIC:
      return decimalFromBytes(bytes, info.scale);
    case MDB_DATETIME: {
      const auto value = dateTimeFromOleDays(readDouble(bytes));
      if (!value) {
        throw EngineError("The value in column '" + std::string(column.name) +
                          "' is not a valid date.");
      }
      return *value;
    }
    default:
      damagedRow();
  }
}

Value JetCursor::readText(const MdbField& field) const {
  const std::uint8_t* bytes = database_->handle->pg_buf + field.start;
  const auto size = static_cast<std::size_t>(field.siz);
  if (database_->header.jet3) return database_->decodeJet3Text(bytes, size);
  return decodeJet4Text(bytes, size);
}

void JetCursor::damagedRow() const {
  throw EngineError("A row of the table '" + baseTable_ +
                    "' cannot be read: the database file is damaged.");
}

}  // namespace tiermend::data::jet
