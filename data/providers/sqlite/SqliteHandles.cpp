// SQLite's errors in the user's words, preparing statements and quoting identifiers.
#include "data/providers/sqlite/SqliteHandles.h"

#include "data/LockWait.h"

namespace tiermend::data::sqlite {

EngineError lastError(sqlite3* db) {
  const char* file = sqlite3_db_filename(db, "main");
  const std::string path = file != nullptr ? file : "";
  switch (sqlite3_errcode(db) & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return EngineError(fileInUseMessage(path));
    case SQLITE_FULL:
      return EngineError(fileFullMessage(path));
    default:
      return EngineError(sqlite3_errmsg(db));
  }
}

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
