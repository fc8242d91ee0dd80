// Preparing statements and quoting identifiers.
#include "data/providers/sqlite/SqliteHandles.h"

namespace tiermend::data::sqlite {

StatementHandle prepareStatement(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()) + 1, &raw, &tail) !=
      SQLITE_OK) {
    throw lastError(db);
  }
  StatementHandle statement(raw);
  if (!statement) throw EngineError("The statement text holds no statement");
  const char* end = sql.c_str() + sql.size();
  if (tail != nullptr && tail < end) {
    // Only blanks and comments prepare to no statement at all; anything else, even
    // text that fails to prepare, is a second statement.
    sqlite3_stmt* next = nullptr;
    const int rc = sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail) + 1, &next, nullptr);
    StatementHandle extra(next);
    if (rc != SQLITE_OK || extra) {
      throw EngineError("Characters found after end of SQL statement");
    }
  }
  return statement;
}

}  // namespace tiermend::data::sqlite
