// Reading rows of a Jet table, value by value from the raw row bytes; libmdb divides
// each row into its columns.
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

MdbColumn& columnAt(MdbTableDef* table, int index) {
  return *static_cast<MdbColumn*>(g_ptr_array_index(table->columns, static_cast<guint>(index)));
}

}  // namespace

JetCursor::JetCursor(std::shared_ptr<JetDatabase> database, const std::string& table,
                     const std::vector<std::string>& columns)
    : database_(std::move(database)),
      table_(database_->openTable(table)),
      walk_(database_->handle.get(), table_.get(), database_->path,
            static_cast<std::uint32_t>(database_->header.pageCount)) {
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

bool JetCursor::fetch(std::vector<Value>& row) {
  if (finished_) return false;
  // Another cursor (or the opening of a table) may have replaced the page in the shared
  // handle since this cursor last read from it.
  if (database_->pageOwner != this) walk_.pageReplaced();
  database_->pageOwner = this;
  try {
    if (!walk_.next(row_)) {
      finished_ = true;
      return false;
    }
  } catch (...) {
    finished_ = true;  // a damaged table gives no further rows
    throw;
  }
  crackRow(row_);
  row.clear();
  row.reserve(columns_.size());
  for (std::size_t i = 0; i < columns_.size(); ++i)
    row.push_back(readValue(sources_[i], columns_[i]));
  return true;
}

// Divides the row into its columns, learning where each value's bytes lie and whether
// it is null.
void JetCursor::crackRow(const JetRowSpan& span) {
  if (mdb_crack_row(table_.get(), span.start, span.size, fields_.data()) < 0) damagedRow();
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
  // A value's bytes lie inside its row.
  const long rowEnd = static_cast<long>(row_.start) + static_cast<long>(row_.size);
  if (field.start < row_.start || field.siz < 0 ||
      static_cast<long>(field.start) + field.siz > rowEnd) {
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
  walk_.damaged("a row cannot be divided into its columns");
}

}  // namespace tiermend::data::jet
