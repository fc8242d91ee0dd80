// Reading MSysRelationships and the checks a refresh makes with it.
#include "data/providers/jet/read/JetRelationships.h"

#include <algorithm>
#include <map>

#include "data/EngineError.h"
#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/read/JetCursor.h"
#include "data/providers/jet/tables/JetNames.h"

namespace tiermend::data::jet {

namespace {

// The columns of MSysRelationships read here, in the cursor's order, with the kind
// Access gives each.
struct RelationshipColumn {
  const char* name;
  int kind;
};
constexpr RelationshipColumn kColumns[] = {
    {"szRelationship", kJetText},     {"szObject", kJetText},           {"szColumn", kJetText},
    {"szReferencedObject", kJetText}, {"szReferencedColumn", kJetText}, {"grbit", kJetInt32},
    {"icolumn", kJetInt32},           {"ccolumn", kJetInt32},
};
enum Place { kName, kTable, kColumn, kReferencedTable, kReferencedColumn, kFlags, kPlace, kCount };

// A relationship that cannot be read is damage of MSysRelationships, never taken as
// absent: a relationship read wrongly would let a refresh break it.
[[noreturn]] void damagedRelationships(const JetDatabase& database, const std::string& how) {
  throw damagedTable(kRelationshipsTable, database.path, how);
}

bool hasTable(const JetDatabase& database, const std::string& name) {
  return std::any_of(database.tables.begin(), database.tables.end(),
                     [&](const JetCatalogEntry& entry) { return sameJetName(entry.name, name); });
}

// The cursor's columns, each present and of its kind.
void checkColumns(const std::shared_ptr<JetDatabase>& database) {
  const auto table = database->openTable(kRelationshipsTable);
  for (const RelationshipColumn& wanted : kColumns) {
    const auto& columns = table->definition.columns;
    const bool found = std::any_of(columns.begin(), columns.end(), [&](const auto& column) {
      return sameJetName(column.name, wanted.name) && column.kind == wanted.kind;
    });
    if (!found) {
      damagedRelationships(*database, std::string("it has no column '") + wanted.name +
                                          "' of the kind Access gives it");
    }
  }
}

// One row's values, every one present: a relationship row without one says nothing.
void checkRow(const JetDatabase& database, const std::vector<Value>& row) {
  for (std::size_t i = 0; i < row.size(); ++i) {
    const bool present =
        kColumns[i].kind == kJetText
            ? std::holds_alternative<std::string>(row[i]) && !std::get<std::string>(row[i]).empty()
            : std::holds_alternative<std::int64_t>(row[i]);
    if (!present) {
      damagedRelationships(database, std::string("a row of it has no ") + kColumns[i].name);
    }
  }
}

const std::string& textOf(const Value& value) {
  return std::get<std::string>(value);
}

std::int64_t numberOf(const Value& value) {
  return std::get<std::int64_t>(value);
}

// The relationship from its rows, by their column's place in it: one row for each of
// its columns, all naming the same tables and flags.
JetRelationship relationshipOf(const JetDatabase& database, const std::string& name,
                               const std::map<std::int64_t, std::vector<Value>>& rows) {
  const std::string text = "its relationship '" + name + "' ";
  JetRelationship relationship;
  relationship.name = name;
  const std::vector<Value>& first = rows.begin()->second;
  relationship.table = textOf(first[kTable]);
  relationship.referencedTable = textOf(first[kReferencedTable]);
  relationship.flags = numberOf(first[kFlags]);
  std::int64_t expected = 0;
  for (const auto& [place, values] : rows) {
    if (place != expected++ || numberOf(values[kCount]) != static_cast<std::int64_t>(rows.size())) {
      damagedRelationships(database, text + "does not count its columns as its rows give them");
    }
    if (!sameJetName(textOf(values[kTable]), relationship.table) ||
        !sameJetName(textOf(values[kReferencedTable]), relationship.referencedTable) ||
        numberOf(values[kFlags]) != relationship.flags) {
      damagedRelationships(database, text + "gives its columns different tables or flags");
    }
    relationship.columns.push_back(textOf(values[kColumn]));
    relationship.referencedColumns.push_back(textOf(values[kReferencedColumn]));
  }
  return relationship;
}

[[noreturn]] void namesMissing(const JetDatabase& database, const JetRelationship& relationship,
                               const std::string& what) {
  damagedRelationships(database, "its relationship '" + relationship.name + "' names " + what);
}

// The tables the relationship names are in the file's catalogue.
void checkTables(const JetDatabase& database, const JetRelationship& relationship) {
  for (const std::string& table : {relationship.table, relationship.referencedTable}) {
    if (!hasTable(database, table)) {
      namesMissing(database, relationship,
                   "the table '" + table + "', which the file does not have");
    }
  }
}

// The columns the relationship names are columns of its tables. Checked for the
// relationships of a table being changed only, so that a table the refresh does not
// touch is not read for it.
void checkColumnsExist(const std::shared_ptr<JetDatabase>& database,
                       const JetRelationship& relationship) {
  const auto check = [&](const std::string& table, const std::vector<std::string>& columns) {
    const auto found = database->openTable(table);
    const auto& defined = found->definition.columns;
    for (const std::string& column : columns) {
      if (std::none_of(defined.begin(), defined.end(),
                       [&](const auto& c) { return sameJetName(c.name, column); })) {
        namesMissing(*database, relationship,
                     "the column '" + column + "', which table '" + table + "' does not have");
      }
    }
  };
  check(relationship.table, relationship.columns);
  check(relationship.referencedTable, relationship.referencedColumns);
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
  checkColumns(database);
  std::vector<std::string> names;
  for (const RelationshipColumn& column : kColumns) names.emplace_back(column.name);
  JetCursor cursor(database, kRelationshipsTable, names);
  // Rows of one relationship, by their column's place in it.
  std::map<std::string, std::map<std::int64_t, std::vector<Value>>> rows;
  std::vector<Value> row;
  while (cursor.fetch(row)) {
    checkRow(*database, row);
    if (!rows[textOf(row[kName])].emplace(numberOf(row[kPlace]), row).second) {
      damagedRelationships(
          *database, "its relationship '" + textOf(row[kName]) + "' gives two rows the same place");
    }
  }
  std::vector<JetRelationship> relationships;
  for (const auto& [name, columns] : rows) {
    relationships.push_back(relationshipOf(*database, name, columns));
    checkTables(*database, relationships.back());
  }
  return relationships;
}

void checkEmptying(const std::shared_ptr<JetDatabase>& database, const std::string& table) {
  for (const JetRelationship& relationship : readRelationships(database)) {
    if (!relationship.enforced() || !sameJetName(relationship.referencedTable, table)) continue;
    checkColumnsExist(database, relationship);
    if ((relationship.flags & kRelationCascadeDeletes) != 0) {
      throw EngineError("Cannot update table '" + table + "': its relationship '" +
                        relationship.name + "' with table '" + relationship.table +
                        "' deletes related records with it (cascade delete), and this program "
                        "never deletes rows of tables it was not asked to refresh.");
    }
    if (holdsReferringRows(database, relationship)) {
      throw EngineError("The record cannot be deleted or changed because table '" +
                        relationship.table + "' includes related records.");
    }
  }
}

void checkFilling(const std::shared_ptr<JetDatabase>& database, const std::string& table) {
  for (const JetRelationship& relationship : readRelationships(database)) {
    if (!relationship.enforced() || !sameJetName(relationship.table, table)) continue;
    checkColumnsExist(database, relationship);
    throw EngineError("Cannot update table '" + table + "': its relationship '" +
                      relationship.name + "' requires its rows to match rows of table '" +
                      relationship.referencedTable +
                      "', which this program cannot check as it adds rows.");
  }
}

}  // namespace tiermend::data::jet
