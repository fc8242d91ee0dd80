// Reading rows of a Jet table, value by value from the raw row bytes.
#include "data/providers/jet/read/JetCursor.h"

#include "data/EngineError.h"
#include "data/providers/jet/tables/JetColumns.h"

namespace tiermend::data::jet {

namespace {

// Whether the rows read must come to the count the table's definition holds: for user
// tables, and for MSysRelationships, whose rows decide what a refresh may empty. Access
// leaves stale counts in other system tables (MSysObjects, MSysACEs and MSysQueries of
// the Access-made files among the fixtures), so theirs are not held to it.
bool countTrusted(const JetTable& table) {
  return !table.systemTable || sameJetName(table.name, kRelationshipsTable);
}

}  // namespace

JetCursor::JetCursor(std::shared_ptr<JetDatabase> database, const std::string& table,
                     const std::vector<std::string>& columns)
    : database_(std::move(database)),
      table_(database_->openTable(table)),
      walk_(*database_->pages, *database_->format, table_->definition, table_->name,
            database_->path, countTrusted(*table_)),
      splitter_(table_->definition, *database_->format),
      longValues_{*database_->pages, *database_->format} {
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
    columns_.push_back(describeColumn(definitions[source], database_->text));
    codecs_.emplace_back(valueColumnOf(definitions[source]), database_->text);
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
    for (std::size_t k = 0; k < sources_.size(); ++k) {
      const JetField& field = fields_[sources_[k]];
      const JetValueCodec& codec = codecs_[k];
      if (field.present && !codec.holds(field.size)) damagedRow();
      row.push_back(codec.decode(field.present, row_.data + field.start, field.size, &longValues_));
    }
  } catch (...) {
    finished_ = true;  // a damaged table gives no further rows
    throw;
  }
  return true;
}

void JetCursor::damagedRow() const {
  walk_.damaged("a row cannot be divided into its columns");
}

}  // namespace tiermend::data::jet
