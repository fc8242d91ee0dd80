// Walking a SQLite result and describing its columns.
#include "data/providers/sqlite/SqliteCursor.h"

#include "data/providers/sqlite/SqliteColumns.h"
#include "data/providers/sqlite/SqliteValues.h"

namespace tiermend::data::sqlite {

SqliteCursor::SqliteCursor(StatementHandle statement) : statement_(std::move(statement)) {
  sqlite3_stmt* handle = statement_.get();
  const int count = sqlite3_column_count(handle);
  // A column without a declared type (an expression) is judged by its first value, and
  // a statement that writes (INSERT ... RETURNING) runs at once, as it would have done
  // without a cursor: only then is the first row read here.
  bool readNow = sqlite3_stmt_readonly(handle) == 0;
  for (int i = 0; i < count; ++i) readNow |= sqlite3_column_decltype(handle, i) == nullptr;
  const bool hasRow = readNow && step();
  rowPending_ = hasRow;
  columns_.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) columns_.push_back(describeColumn(i, hasRow));
  findBaseTable();
}

ColumnInfo SqliteCursor::describeColumn(int index, bool hasRow) const {
  sqlite3_stmt* statement = statement_.get();
  ColumnInfo column;
  const char* name = sqlite3_column_name(statement, index);
  column.name = name ? name : "";
  const char* declared = sqlite3_column_decltype(statement, index);
  if (declared == nullptr || !columnFromDeclaredType(declared, column)) {
    // An expression has no declared type: judge it by what it holds.
    columnFromStorageClass(hasRow ? sqlite3_column_type(statement, index) : SQLITE_NULL, column);
  }
  const char* database = sqlite3_column_database_name(statement, index);
  const char* table = sqlite3_column_table_name(statement, index);
  const char* origin = sqlite3_column_origin_name(statement, index);
  if (table == nullptr || origin == nullptr) {
    column.updatable = false;  // computed, not stored in a table
    return column;
  }
  int notNull = 0;
  int primaryKey = 0;
  int autoIncrement = 0;
  if (sqlite3_table_column_metadata(sqlite3_db_handle(statement), database, table, origin, nullptr,
                                    nullptr, &notNull, &primaryKey, &autoIncrement) == SQLITE_OK) {
    column.autoIncrement = autoIncrement != 0;
    column.updatable = autoIncrement == 0;
  }
  return column;
}

void SqliteCursor::findBaseTable() {
  sqlite3_stmt* statement = statement_.get();
  std::string table;
  for (int i = 0; i < static_cast<int>(columns_.size()); ++i) {
    const char* name = sqlite3_column_table_name(statement, i);
    if (name == nullptr) continue;
    const char* database = sqlite3_column_database_name(statement, i);
    // Rows are added to tables of the main database only, and to one table only.
    if (database == nullptr || std::string(database) != "main") return;
    if (!table.empty() && table != name) return;
    table = name;
  }
  baseTable_ = table;
}

bool SqliteCursor::step() {
  sqlite3_stmt* statement = statement_.get();
  const int rc = sqlite3_step(statement);
  if (rc == SQLITE_ROW) return true;
  done_ = true;
  if (rc == SQLITE_DONE) {
    // A finished statement lets go of its read lock at once.
    sqlite3_reset(statement);
    return false;
  }
  EngineError error = lastError(sqlite3_db_handle(statement));
  sqlite3_reset(statement);
  throw error;
}

bool SqliteCursor::fetch(std::vector<Value>& row) {
  if (done_) return false;
  if (!rowPending_ && !step()) return false;
  rowPending_ = false;
  sqlite3_stmt* statement = statement_.get();
  row.resize(columns_.size());
  for (size_t i = 0; i < columns_.size(); ++i) {
    readValueInto(statement, static_cast<int>(i), columns_[i], row[i]);
  }
  return true;
}

}  // namespace tiermend::data::sqlite
