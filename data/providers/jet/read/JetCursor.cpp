// Reading rows of a Jet table, value by value from the raw row bytes.
#include "data/providers/jet/read/JetCursor.h"

#include "data/EngineError.h"
#include "data/providers/jet/tables/JetColumns.h"
#include "data/providers/jet/values/JetLongValue.h"
#include "data/providers/jet/values/JetText.h"
#include "data/providers/jet/values/JetValueCodec.h"

namespace tiermend::data::jet {

JetCursor::JetCursor(std::shared_ptr<JetDatabase> database, const std::string& table,
                     const std::vector<std::string>& columns)
    : database_(std::move(database)),
      table_(database_->openTable(table)),
      walk_(*database_->pages, *database_->format, table_->definition, table_->name,
            database_->path, !table_->systemTable),
      splitter_(table_->definition, *database_->format) {
  selectColumns(columns);
}

void JetCursor::selectColumns(const std::vector<std::string>& names) {
  const auto& definitions = table_->definition.columns;
  if (names.empty()) {
    for (std::size_t i = 0; i < definitions.size(); ++i) sources_.push_back(i);
  }
  for (const auto& name : names) {
    std::size_t found = definitions.size();
    for (std::size_t i = 0; i < definitions.size() && found == definitions.size(); ++i) {
      if (sameJetName(name, definitions[i].name)) found = i;
    }
    if (found == definitions.size()) {
      throw EngineError("The column '" + name + "' does not exist in the table '" + table_->name +
                        "'.");
    }
    sources_.push_back(found);
  }
  for (std::size_t source : sources_) {
    columns_.push_back(describeColumn(definitions[source], database_->header.jet3));
  }
}

bool JetCursor::fetch(std::vector<Value>& row) {
  if (finished_) return false;
  try {
    if (!walk_.next(row_)) {
      finished_ = true;
      return false;
    }
    if (!splitter_.split(row_.data, row_.size, fields_)) damagedRow();
    row.clear();
    row.reserve(columns_.size());
    for (std::size_t source : sources_) {
      row.push_back(readValue(table_->definition.columns[source], fields_[source]));
    }
  } catch (...) {
    finished_ = true;  // a damaged table gives no further rows
    throw;
  }
  return true;
}

Value JetCursor::readValue(const JetColumnDefinition& column, const JetField& field) const {
  // A Yes/No value is the column's bit in the null mask: set means Yes.
  if (column.kind == kJetBoolean) return Value{field.present};
  if (!field.present) return Null{};
  const std::uint8_t* bytes = row_.data + field.start;
  const std::size_t size = field.size;
  switch (column.kind) {
    case kJetText:
      return decodeText(bytes, size);
    case kJetMemo: {
      const Bytes stored =
          readLongValue(*database_->pages, *database_->format, bytes, size, column.name);
      return decodeText(stored.data(), stored.size());
    }
    case kJetOle:
      return readLongValue(*database_->pages, *database_->format, bytes, size, column.name);
    case kJetBinary:
      return Bytes(bytes, bytes + size);
    default:
      break;
  }
  const int width = fixedValueWidth(column.kind);
  if (width == 0) return Bytes(bytes, bytes + size);
  if (size < static_cast<std::size_t>(width)) damagedRow();
  return decodeFixedValue(column.kind, column.scale, bytes, column.name);
}

Value JetCursor::decodeText(const std::uint8_t* bytes, std::size_t size) const {
  if (database_->header.jet3) return database_->decodeJet3Text(bytes, size);
  return decodeJet4Text(bytes, size);
}

void JetCursor::damagedRow() const {
  walk_.damaged("a row cannot be divided into its columns");
}

}  // namespace tiermend::data::jet
