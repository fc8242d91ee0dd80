// Reading MSysRelationships and the checks a refresh makes with it.
#include "data/providers/jet/read/JetRelationships.h"

#include <algorithm>
#include <map>

#include "data/EngineError.h"
#include "data/providers/jet/read/JetCursor.h"
#include "data/providers/jet/tables/JetNames.h"

namespace tiermend::data::jet {

namespace {

std::string textOf(const Value& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text != nullptr ? *text : std::string();
}

std::int64_t numberOf(const Value& value) {
  const auto* number = std::get_if<std::int64_t>(&value);
  return number != nullptr ? *number : 0;
}

bool hasTable(const JetDatabase& database, const std::string& name) {
  return std::any_of(database.tables.begin(), database.tables.end(),
                     [&](const JetCatalogEntry& entry) { return sameJetName(entry.name, name); });
}

// Whether table holds a row whose referring columns all hold a value: with the
// relationship enforced, such a row refers to a row of the table referred to.
bool holdsReferringRows(const std::shared_ptr<JetDatabase>& database,
                        const JetRelationship& relationship) {
  JetCursor cursor(database, relationship.table, relationship.columns);
  std::vector<Value> row;
  while (cursor.fetch(row)) {
    if (std::none_of(row.begin(), row.end(), [](const Value& value) { return isNull(value); })) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<JetRelationship> readRelationships(const std::shared_ptr<JetDatabase>& database) {
  if (!hasTable(*database, kRelationshipsTable)) return {};
  JetCursor cursor(database, kRelationshipsTable,
                   {"szRelationship", "szObject", "szColumn", "szReferencedObject",
                    "szReferencedColumn", "grbit", "icolumn"});
  // Rows of one relationship, by their column's place in it.
  std::map<std::string, std::map<std::int64_t, std::vector<Value>>> rows;
  std::vector<Value> row;
  while (cursor.fetch(row)) rows[textOf(row[0])][numberOf(row[6])] = row;
  std::vector<JetRelationship> relationships;
  for (const auto& [name, columns] : rows) {
    JetRelationship relationship;
    relationship.name = name;
    for (const auto& [place, values] : columns) {
      relationship.table = textOf(values[1]);
      relationship.columns.push_back(textOf(values[2]));
      relationship.referencedTable = textOf(values[3]);
      relationship.referencedColumns.push_back(textOf(values[4]));
      relationship.flags = numberOf(values[5]);
    }
    relationships.push_back(std::move(relationship));
  }
  return relationships;
}

void checkEmptying(const std::shared_ptr<JetDatabase>& database, const std::string& table) {
  for (const JetRelationship& relationship : readRelationships(database)) {
    if (!relationship.enforced() || !sameJetName(relationship.referencedTable, table)) continue;
    if ((relationship.flags & kRelationCascadeDeletes) != 0) {
      throw EngineError("Cannot update table '" + table + "': its relationship '" +
                        relationship.name + "' with table '" + relationship.table +
                        "' deletes related records with it (cascade delete), and this program "
                        "never deletes rows of tables it was not asked to refresh.");
    }
    if (!hasTable(*database, relationship.table)) continue;
    if (holdsReferringRows(database, relationship)) {
      throw EngineError("The record cannot be deleted or changed because table '" +
                        relationship.table + "' includes related records.");
    }
  }
}

void checkFilling(const std::shared_ptr<JetDatabase>& database, const std::string& table) {
  for (const JetRelationship& relationship : readRelationships(database)) {
    if (!relationship.enforced() || !sameJetName(relationship.table, table)) continue;
    throw EngineError("Cannot update table '" + table + "': its relationship '" +
                      relationship.name + "' requires its rows to match rows of table '" +
                      relationship.referencedTable +
                      "', which this program cannot check as it adds rows.");
  }
}

}  // namespace tiermend::data::jet
