// Statements, inserts and transactions on one ODBC connection, with posted rows sent
// together inside a transaction: in multi-row statements, parameter arrays, or one by
// one, as the table calls for.
#include "data/providers/odbc/OdbcSession.h"

#include <algorithm>

#include "data/EngineError.h"
#include "data/LockWait.h"
#include "data/providers/odbc/OdbcCursor.h"
#include "data/providers/odbc/OdbcDiagnostics.h"
#include "data/providers/odbc/OdbcParameterArrays.h"
#include "data/providers/odbc/OdbcSqlText.h"
#include "data/providers/odbc/OdbcText.h"
#include "data/value/QuotedName.h"

namespace tiermend::data::odbc {

namespace {

// Seconds a login may take before it fails, as an OLE DB connection waits by default.
constexpr SQLULEN kLoginTimeoutSeconds = 15;
// The savepoint set before each parameter array.
constexpr const char* kArraySavepoint = "tiermend_rows";

std::string infoText(SQLHDBC connection, SQLUSMALLINT kind) {
  SQLWCHAR buffer[256] = {};
  SQLSMALLINT bytes = 0;
  SQLRETURN rc = SQLGetInfoW(connection, kind, buffer, sizeof buffer, &bytes);
  if (!SQL_SUCCEEDED(rc)) return {};
  return toUtf8(buffer, std::min<std::size_t>(bytes / sizeof(SQLWCHAR), std::size(buffer) - 1));
}

std::string cacheKey(const std::string& table, const std::vector<std::string>& columns) {
  std::string key = table;
  for (const std::string& column : columns) {
    key += '\x1f';
    key += column;
  }
  return key;
}

// Closes a statement and lets its parameters go on every path, so that the next row
// starts from a clean statement whatever happened to this one.
struct CloseAfterRun {
  SQLHSTMT statement;
  ~CloseAfterRun() {
    SQLFreeStmt(statement, SQL_CLOSE);
    SQLFreeStmt(statement, SQL_RESET_PARAMS);
  }
};

// Closes a statement's cursor on every path, leaving its parameters bound.
struct CloseCursorAfterRun {
  SQLHSTMT statement;
  ~CloseCursorAfterRun() { SQLFreeStmt(statement, SQL_CLOSE); }
};

// As CloseAfterRun, and the statement is set back to single rows.
struct CloseAfterArray {
  SQLHSTMT statement;
  ~CloseAfterArray() {
    SQLFreeStmt(statement, SQL_CLOSE);
    ParameterArrays::unbind(statement);
  }
};

}  // namespace

OdbcSession::OdbcSession(const std::string& odbcConnectionString, std::size_t rowsPerBatch,
                         int lockWaitSeconds)
    : connection_(environment_), queue_(rowsPerBatch), rowsPerBatch_(rowsPerBatch) {
  // Without its timeout a login to a server that never answers would wait for good, so
  // a driver that refuses the setting stops the connection before it starts.
  const SQLRETURN timeout =
      SQLSetConnectAttr(connection_.get(), SQL_ATTR_LOGIN_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
  checkResult(timeout, SQL_HANDLE_DBC, connection_.get(), "setting the login timeout");
  connection_.connect(odbcConnectionString);
  dialect_ = Dialect(databaseSystemNamed(infoText(connection_.get(), SQL_DBMS_NAME)));
  traits_.longTextIsOrdinaryText = dialect_.longTextIsOrdinaryText();
  identifierQuote_ = infoText(connection_.get(), SQL_IDENTIFIER_QUOTE_CHAR);
  savepoint_ = dialect_.savepoints(kArraySavepoint);
  // A table another program holds locked is waited for a bounded time, never for good.
  if (const std::string setting = dialect_.lockWaitStatement(lockWaitSeconds); !setting.empty()) {
    StatementHandle statement(connection_);
    run(statement, setting);
  }
}

bool OdbcSession::run(const StatementHandle& statement, const std::string& sql) {
  WideString text = toWide(sql);
  SQLRETURN rc = SQLExecDirectW(statement.get(), text.data(), static_cast<SQLINTEGER>(text.size()));
  if (rc == SQL_NO_DATA) return false;
  if (!SQL_SUCCEEDED(rc)) {
    const std::string table = tableNameInSelect(sql);
    checkStatement(rc, statement.get(), "running a statement", table.empty() ? sql : table);
  }
  return true;
}

void OdbcSession::checkStatement(SQLRETURN rc, SQLHSTMT statement, std::string_view action,
                                 const std::string& table) {
  if (SQL_SUCCEEDED(rc)) return;
  if (reportsLockTimeout(SQL_HANDLE_STMT, statement, dialect_))
    throw EngineError(tableInUseMessage(table));
  throwDiagnostics(SQL_HANDLE_STMT, statement, action);
}

void OdbcSession::markServerFilledColumns(OdbcCursor& cursor) {
  const std::string& table = cursor.baseTable();
  const std::string question = dialect_.serverFilledColumnsQuery(table);
  if (table.empty() || question.empty()) return;
  auto cached = serverFilledCache_.find(table);
  if (cached == serverFilledCache_.end()) {
    std::vector<ServerFilledColumn> filled;
    StatementHandle statement(connection_);
    // A server that cannot answer (no catalogue views) leaves the driver's flags.
    try {
      if (run(statement, question)) {
        std::unique_ptr<OdbcCursor> rows = readWholeResult(statement, traits_, {});
        if (rows) filled = readServerFilledColumns(*rows);
      }
      finishResults(statement);
    } catch (const EngineError&) {
      filled.clear();
    }
    cached = serverFilledCache_.emplace(table, std::move(filled)).first;
  }
  cursor.markServerFilled(cached->second);
}

std::unique_ptr<Cursor> OdbcSession::query(const std::string& sql) {
  flush();
  std::unique_ptr<OdbcCursor> cursor;
  if (const std::string table = tableOfPlainSelect(sql); !table.empty()) {
    cursor = prepareSelect(sql, table);
  } else {
    StatementHandle statement(connection_);
    if (run(statement, sql)) cursor = readWholeResult(statement, traits_, tableNameInSelect(sql));
    finishResults(statement);
  }
  if (cursor) markServerFilledColumns(*cursor);
  return cursor;
}

std::unique_ptr<OdbcCursor> OdbcSession::prepareSelect(const std::string& sql,
                                                       const std::string& table) {
  StatementHandle statement(connection_);
  WideString text = toWide(sql);
  SQLRETURN rc = SQLPrepareW(statement.get(), text.data(), static_cast<SQLINTEGER>(text.size()));
  checkStatement(rc, statement.get(), "preparing a statement", table);
  // Describing may be the server's first look at the table (PostgreSQL and MariaDB
  // prepare on the server), and so the first wait for a lock another program holds.
  SQLSMALLINT count = 0;
  rc = SQLNumResultCols(statement.get(), &count);
  checkStatement(rc, statement.get(), "describing a statement", table);
  if (count == 0) {
    // A driver that learns a result's columns only by running the statement.
    runPrepared(statement, table);
    std::unique_ptr<OdbcCursor> cursor = readWholeResult(statement, traits_, table);
    finishResults(statement);
    return cursor;
  }
  DescribedResult described = describeColumns(statement, traits_, table);
  return std::make_unique<OdbcCursor>(
      std::move(described.columns), std::move(described.baseTable), std::move(statement),
      [this, table](const StatementHandle& prepared) { runPrepared(prepared, table); });
}

void OdbcSession::runPrepared(const StatementHandle& statement, const std::string& table) {
  flush();
  SQLRETURN rc = SQLExecute(statement.get());
  if (rc != SQL_NO_DATA) checkStatement(rc, statement.get(), "running a statement", table);
}

std::int64_t OdbcSession::execute(const std::string& sql) {
  flush();
  StatementHandle statement(connection_);
  if (!run(statement, sql)) return 0;  // nothing matched: no rows affected
  SQLLEN count = 0;
  SQLRETURN rc = SQLRowCount(statement.get(), &count);
  checkResult(rc, SQL_HANDLE_STMT, statement.get(), "counting affected rows");
  finishResults(statement);
  return count < 0 ? 0 : count;
}

std::vector<ParameterTarget> OdbcSession::targetsFor(const std::string& table,
                                                     const std::vector<std::string>& columns) {
  std::string key = cacheKey(table, columns);
  if (auto found = targetCache_.find(key); found != targetCache_.end()) return found->second;
  StatementHandle statement(connection_);
  run(statement, describeStatement(table, columns, identifierQuote_));
  std::vector<ParameterTarget> targets;
  for (const ColumnDescription& d : describeResult(statement.get()))
    targets.push_back({d.sqlType, d.size, d.digits});
  targetCache_.emplace(key, targets);
  return targets;
}

void OdbcSession::insert(const std::string& table, const std::vector<std::string>& columns,
                         const std::vector<Value>& values) {
  requireValuePerColumn(columns, values);
  const std::string key = cacheKey(table, columns);
  // Rows for another insert go first, also before this one is described and prepared.
  if (key != queuedKey_) flush();
  if (columns.empty()) {
    runStatement("INSERT INTO " + quoteIdentifier(table, identifierQuote_) + " DEFAULT VALUES");
    return;
  }
  PreparedInsert& prepared = preparedInsertFor(key, table, columns);
  ParameterSet row(values, prepared.targets);
  if (inTransaction_ && !prepared.travel) decideTravel(prepared);
  if (!inTransaction_ || prepared.rowsPerBatch == 1) {
    insertRow(prepared, row);
    return;
  }
  if (queue_.empty()) queue_.setCapacity(prepared.rowsPerBatch);
  if (!queue_.fits(row)) flush();
  queuedFor_ = &prepared;
  queuedKey_ = key;
  queue_.push(std::move(row));
  if (queue_.full()) flush();
}

void OdbcSession::insertRow(PreparedInsert& prepared, ParameterSet& row) {
  SQLHSTMT statement = prepared.statement.get();
  CloseAfterRun closeAfterRun{statement};
  row.bind(statement);
  SQLRETURN rc = SQLExecute(statement);
  if (rc != SQL_NO_DATA) checkStatement(rc, statement, "adding a row", prepared.table);
  finishResults(prepared.statement);
}

void OdbcSession::flush() {
  if (queue_.empty()) return;
  PreparedInsert& prepared = *queuedFor_;
  // The queue is empty from here on, whatever happens to its rows.
  std::vector<ParameterSet> rows = queue_.take();
  queuedFor_ = nullptr;
  queuedKey_.clear();
  if (rows.size() == 1) {
    insertRow(prepared, rows.front());
    return;
  }
  sendBatch(prepared, rows);
}

void OdbcSession::sendBatch(PreparedInsert& prepared, std::vector<ParameterSet>& rows) {
  if (dialect_.refusedBatchNamesItsRow()) {
    const BatchOutcome outcome = executeBatch(prepared, rows);
    if (!outcome.failure.empty()) throw EngineError(outcome.failure);
    return;
  }
  // Without a savepoint a failed batch could not be taken back: the rows go one by one.
  if (!tryRun(savepoint_.set)) {
    for (ParameterSet& row : rows) insertRow(prepared, row);
    return;
  }
  const BatchOutcome outcome = executeBatch(prepared, rows);
  if (!outcome.failure.empty()) {
    // A lock wait that ran out refused no row: sent one by one, the rows would only
    // wait again.
    if (outcome.lockWaitRanOut) throw EngineError(outcome.failure);
    // Back to the savepoint, then the rows one at a time, so that the first refused
    // row raises the failure it gives on its own.
    if (!tryRun(savepoint_.rollbackTo)) throw EngineError(outcome.failure);
    ++batchCounts_.replayed;
    for (ParameterSet& row : rows) insertRow(prepared, row);
  }
  if (!savepoint_.release.empty()) runStatement(savepoint_.release);
}

OdbcSession::BatchOutcome OdbcSession::executeBatch(PreparedInsert& prepared,
                                                    std::vector<ParameterSet>& rows) {
  return prepared.travel == RowsTravel::MultiRow ? executeStatement(prepared, rows)
                                                 : executeArray(prepared, rows);
}

OdbcSession::BatchOutcome OdbcSession::executeStatement(PreparedInsert& prepared,
                                                        std::vector<ParameterSet>& rows) {
  BatchOutcome outcome;
  try {
    PreparedInsert::MultiRow& multiRow = multiRowStatement(prepared, rows.size());
    SQLHSTMT statement = multiRow.statement.get();
    // The parameters stay bound for the statement's next batch.
    CloseCursorAfterRun closeAfterRun{statement};
    try {
      multiRow.parameters.load(statement, rows);
      SQLRETURN rc = SQLExecute(statement);
      if (rc != SQL_NO_DATA) checkStatement(rc, statement, "adding rows", prepared.table);
      finishResults(multiRow.statement);
    } catch (const EngineError& error) {
      outcome.failure = error.what();
      outcome.lockWaitRanOut = reportsLockTimeout(SQL_HANDLE_STMT, statement, dialect_);
    }
  } catch (const EngineError& error) {
    // The statement could not be prepared: a failure like any other of the batch.
    outcome.failure = error.what();
  }
  ++batchCounts_.multiRowStatements;
  batchCounts_.rowsInStatements += rows.size();
  return outcome;
}

OdbcSession::BatchOutcome OdbcSession::executeArray(PreparedInsert& prepared,
                                                    std::vector<ParameterSet>& rows) {
  SQLHSTMT statement = prepared.statement.get();
  ParameterArrays arrays(rows);
  BatchOutcome outcome;
  {
    CloseAfterArray closeAfterArray{statement};
    try {
      arrays.bind(statement);
      SQLRETURN rc = SQLExecute(statement);
      if (rc != SQL_NO_DATA) checkStatement(rc, statement, "adding rows", prepared.table);
      finishResults(prepared.statement);
      if (arrays.anyRowFailed())
        outcome.failure = "The ODBC driver refused a row of a parameter array";
    } catch (const EngineError& error) {
      outcome.failure = error.what();
      outcome.lockWaitRanOut = reportsLockTimeout(SQL_HANDLE_STMT, statement, dialect_);
    }
  }
  ++batchCounts_.arrays;
  lastArray_ = {rows.size(), !outcome.failure.empty(), arrays.statuses(), arrays.processed()};
  return outcome;
}

bool OdbcSession::tryRun(const std::string& sql) {
  try {
    runStatement(sql);
    return true;
  } catch (const EngineError&) {
    return false;
  }
}

void OdbcSession::runStatement(const std::string& sql) {
  StatementHandle statement(connection_);
  if (run(statement, sql)) finishResults(statement);
}

OdbcSession::PreparedInsert& OdbcSession::preparedInsertFor(
    const std::string& key, const std::string& table, const std::vector<std::string>& columns) {
  if (auto found = preparedInserts_.find(key); found != preparedInserts_.end())
    return *found->second;
  auto prepared = std::make_unique<PreparedInsert>(connection_, table);
  prepared->columns = columns;
  prepared->targets = targetsFor(table, columns);
  WideString text = toWide(insertStatement(table, columns, identifierQuote_));
  SQLRETURN rc =
      SQLPrepareW(prepared->statement.get(), text.data(), static_cast<SQLINTEGER>(text.size()));
  checkResult(rc, SQL_HANDLE_STMT, prepared->statement.get(), "preparing a row's insert");
  return *preparedInserts_.emplace(key, std::move(prepared)).first->second;
}

void OdbcSession::decideTravel(PreparedInsert& prepared) {
  prepared.travel = rowsPerBatch_ > 1 ? rowsTravelInto(prepared.table) : RowsTravel::OneByOne;
  switch (*prepared.travel) {
    case RowsTravel::OneByOne:
      prepared.rowsPerBatch = 1;
      break;
    case RowsTravel::Arrays:
      prepared.rowsPerBatch = rowsPerBatch_;
      break;
    case RowsTravel::MultiRow:
      prepared.rowsPerBatch = std::clamp<std::size_t>(
          dialect_.rowsPerStatement(prepared.columns.size()), 1, rowsPerBatch_);
      break;
  }
}

OdbcSession::PreparedInsert::MultiRow& OdbcSession::multiRowStatement(PreparedInsert& prepared,
                                                                      std::size_t rows) {
  if (auto found = prepared.multiRow.find(rows); found != prepared.multiRow.end())
    return found->second;
  StatementHandle statement(connection_);
  WideString text =
      toWide(insertStatement(prepared.table, prepared.columns, identifierQuote_, rows));
  SQLRETURN rc = SQLPrepareW(statement.get(), text.data(), static_cast<SQLINTEGER>(text.size()));
  checkResult(rc, SQL_HANDLE_STMT, statement.get(), "preparing an insert of several rows");
  return prepared.multiRow.try_emplace(rows, std::move(statement), rows * prepared.columns.size())
      .first->second;
}

RowsTravel OdbcSession::rowsTravelInto(const std::string& table) {
  if (auto found = rowsTravelCache_.find(table); found != rowsTravelCache_.end())
    return found->second;
  std::vector<std::vector<Value>> answer;
  if (const std::string question = dialect_.rowsTravelQuestion(table); !question.empty()) {
    // A server that cannot answer gets the answer for a table it knows nothing of.
    try {
      StatementHandle statement(connection_);
      if (run(statement, question)) {
        if (std::unique_ptr<OdbcCursor> rows = readWholeResult(statement, traits_, {})) {
          std::vector<Value> row;
          while (rows->fetch(row)) answer.push_back(row);
        }
      }
      finishResults(statement);
    } catch (const EngineError&) {
      answer.clear();
    }
  }
  return rowsTravelCache_.emplace(table, dialect_.rowsTravelFrom(answer)).first->second;
}

void OdbcSession::discardQueue() {
  queue_.take();
  queuedFor_ = nullptr;
  queuedKey_.clear();
}

SQLRETURN OdbcSession::trySetAutocommit(bool on) {
  SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
  return SQLSetConnectAttr(connection_.get(), SQL_ATTR_AUTOCOMMIT,
                           reinterpret_cast<SQLPOINTER>(value), 0);
}

void OdbcSession::setAutocommit(bool on) {
  checkResult(trySetAutocommit(on), SQL_HANDLE_DBC, connection_.get(),
              "switching automatic commit");
}

void OdbcSession::beginTransaction() {
  if (inTransaction_) throw EngineError("A transaction is already active on this connection");
  setAutocommit(false);
  inTransaction_ = true;
}

void OdbcSession::endTransaction(SQLSMALLINT completion) {
  if (!inTransaction_) return;
  SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, connection_.get(), completion);
  std::string failure;
  if (!SQL_SUCCEEDED(rc)) {
    failure = diagnosticText(SQL_HANDLE_DBC, connection_.get());
    if (failure.empty()) failure = "The transaction could not be ended";
    // Whatever the server kept, the transaction is over for this connection.
    SQLEndTran(SQL_HANDLE_DBC, connection_.get(), SQL_ROLLBACK);
  }
  inTransaction_ = false;
  // A table is refreshed in one transaction: the statements that carried its rows
  // together (a driver keeps a description of every parameter of each) go with it.
  for (auto& [key, prepared] : preparedInserts_) prepared->multiRow.clear();
  if (failure.empty()) {
    setAutocommit(true);
    return;
  }
  // The end's own failure is what the caller hears of: a connection that fails the
  // commit often fails the reset after it as well, and that second failure says less.
  trySetAutocommit(true);
  throw EngineError(failure);
}

void OdbcSession::commit() {
  // A refused queued row fails the commit; the transaction then stays open for the
  // caller to roll back.
  flush();
  endTransaction(SQL_COMMIT);
}

void OdbcSession::rollback() {
  discardQueue();
  endTransaction(SQL_ROLLBACK);
}

}  // namespace tiermend::data::odbc
