// Statements, inserts and transactions on a SQLite database.
#include "data/providers/sqlite/SqliteSession.h"

#include "data/providers/sqlite/SqliteColumns.h"
#include "data/providers/sqlite/SqliteCursor.h"
#include "data/providers/sqlite/SqliteValues.h"
#include "data/value/QuotedName.h"

namespace tiermend::data::sqlite {
namespace {

std::string insertStatement(const std::string& table, const std::vector<std::string>& columns) {
  std::string sql = "INSERT INTO " + quoteIdentifier(table);
  if (columns.empty()) return sql + " DEFAULT VALUES";
  std::string names;
  std::string parameters;
  for (const std::string& column : columns) {
    if (!names.empty()) {
      names.push_back(',');
      parameters.push_back(',');
    }
    names += quoteIdentifier(column);
    parameters.push_back('?');
  }
  return sql + " (" + names + ") VALUES (" + parameters + ")";
}

}  // namespace

SqliteSession::SqliteSession(DatabaseHandle database) : database_(std::move(database)) {}

void SqliteSession::stepToEnd(sqlite3_stmt* statement) {
  int rc = SQLITE_ROW;
  while (rc == SQLITE_ROW) rc = sqlite3_step(statement);
  if (rc != SQLITE_DONE) throw lastError(database_.get());
}

std::unique_ptr<Cursor> SqliteSession::query(const std::string& sql) {
  StatementHandle statement = prepareStatement(database_.get(), sql);
  if (sqlite3_column_count(statement.get()) == 0) {
    stepToEnd(statement.get());
    return nullptr;
  }
  // Preparing has checked the statement, its tables and columns; the rows are read as
  // the cursor is asked for them.
  return std::make_unique<SqliteCursor>(std::move(statement));
}

std::int64_t SqliteSession::execute(const std::string& sql) {
  StatementHandle statement = prepareStatement(database_.get(), sql);
  const std::int64_t before = sqlite3_total_changes64(database_.get());
  stepToEnd(statement.get());
  // sqlite3_changes keeps the count of the last INSERT, UPDATE or DELETE; a statement
  // that changed nothing must not report that older count.
  if (sqlite3_total_changes64(database_.get()) == before) return 0;
  return sqlite3_changes64(database_.get());
}

ColumnType SqliteSession::declaredColumnType(const std::string& table, const std::string& column) {
  const char* declared = nullptr;
  ColumnInfo info;
  if (sqlite3_table_column_metadata(database_.get(), nullptr, table.c_str(), column.c_str(),
                                    &declared, nullptr, nullptr, nullptr, nullptr) == SQLITE_OK &&
      declared != nullptr && columnFromDeclaredType(declared, info)) {
    return info.type;
  }
  return ColumnType::Text;
}

SqliteSession::PreparedInsert& SqliteSession::prepareInsert(
    const std::string& table, const std::vector<std::string>& columns) {
  if (insert_.statement && insert_.table == table && insert_.columns == columns) return insert_;
  insert_ = PreparedInsert{};
  StatementHandle statement = prepareStatement(database_.get(), insertStatement(table, columns));
  std::vector<ColumnType> types;
  for (const std::string& column : columns) types.push_back(declaredColumnType(table, column));
  insert_ = PreparedInsert{table, columns, std::move(statement), std::move(types)};
  return insert_;
}

void SqliteSession::insert(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<Value>& values) {
  requireValuePerColumn(columns, values);
  PreparedInsert& prepared = prepareInsert(table, columns);
  sqlite3_stmt* statement = prepared.statement.get();
  // Every parameter is bound again below, so earlier bindings need no clearing.
  sqlite3_reset(statement);
  for (size_t i = 0; i < values.size(); ++i) {
    bindValue(statement, static_cast<int>(i) + 1, values[i], prepared.columnTypes[i]);
  }
  const int rc = sqlite3_step(statement);
  if (rc != SQLITE_DONE) {
    EngineError error = lastError(database_.get());
    sqlite3_reset(statement);
    throw error;
  }
  sqlite3_reset(statement);
}

void SqliteSession::run(const char* sql) {
  if (sqlite3_exec(database_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
    throw lastError(database_.get());
  }
}

// The write lock is taken at once, before the transaction reads anything: SQLite waits
// for a lock only when it holds none, so asking for the write lock later, while a read
// of the same transaction is open, would fail at once instead of waiting.
void SqliteSession::beginTransaction() {
  run("BEGIN IMMEDIATE");
}
void SqliteSession::commit() {
  run("COMMIT");
}
void SqliteSession::rollback() {
  run("ROLLBACK");
}

}  // namespace tiermend::data::sqlite
