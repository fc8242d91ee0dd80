// The relationships a Jet file keeps in its system table MSysRelationships, one row per
// pair of related columns, and the checks refreshing a table needs from them: emptying a
// table must not leave another table's rows without the rows they refer to, and rows
// added to a table must find the rows they refer to. Relationships whose integrity is
// not enforced are left alone, as Access leaves them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/read/JetDatabase.h"

namespace tiermend::data::jet {

struct JetRelationship {
  std::string name;
  std::string table;                 // the table whose rows refer to another's
  std::vector<std::string> columns;  // its referring columns, in order
  std::string referencedTable;       // the table referred to
  std::vector<std::string> referencedColumns;
  std::int64_t flags = 0;

  bool enforced() const { return (flags & kRelationNotEnforced) == 0; }
};

// Every relationship of the file; none when it has no MSysRelationships. Throws
// EngineError naming MSysRelationships as damaged when a relationship cannot be read
// whole (a column missing or of another kind, a row without a value, rows that do not
// agree) or names a table the file does not have. checkEmptying and checkFilling also
// refuse, so, a relationship of the table that names a column its tables do not have.
std::vector<JetRelationship> readRelationships(const std::shared_ptr<JetDatabase>& database);

// Throws EngineError when emptying table would break an enforced relationship: another
// table holds rows that refer to it (Access's message naming that table), or the
// relationship would delete them with it (cascade deletes, never done by this program).
void checkEmptying(const std::shared_ptr<JetDatabase>& database, const std::string& table);

// Throws EngineError when table's rows must refer to rows of another table through an
// enforced relationship, which this program does not check as rows are added.
void checkFilling(const std::shared_ptr<JetDatabase>& database, const std::string& table);

}  // namespace tiermend::data::jet
