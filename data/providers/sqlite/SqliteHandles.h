// Owning handles on SQLite's connection and statement objects, and the engine error
// that carries SQLite's own description.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "data/EngineError.h"

namespace tiermend::data::sqlite {

struct DatabaseCloser {
  // close_v2 lets statements that are still alive finish before the database goes.
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

using DatabaseHandle = std::unique_ptr<sqlite3, DatabaseCloser>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// The error SQLite reports for the last failed call on db. A lock that outlasted the
// busy timeout and a full database are told in words that name the file.
EngineError lastError(sqlite3* db);

// Prepares the single statement in sql. Text after it other than blanks and comments
// is refused, so that a second statement is never silently ignored.
StatementHandle prepareStatement(sqlite3* db, const std::string& sql);

}  // namespace tiermend::data::sqlite
