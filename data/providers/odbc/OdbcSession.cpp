#include "data/providers/odbc/OdbcSession.h"

#include "data/EngineError.h"
#include "data/LockWait.h"
#include "data/providers/odbc/OdbcCursor.h"
#include "data/providers/odbc/OdbcDiagnostics.h"
#include "data/providers/odbc/OdbcLockWait.h"
#include "data/providers/odbc/OdbcSqlText.h"
#include "data/providers/odbc/OdbcText.h"
#include "data/providers/odbc/OdbcValues.h"

namespace tiermend::data::odbc {

namespace {

// Seconds a login may take before it fails, as an OLE DB connection waits by default.
constexpr SQLULEN kLoginTimeoutSeconds = 15;

std::string infoText(SQLHDBC connection, SQLUSMALLINT kind) {
  SQLWCHAR buffer[256] = {};
  SQLSMALLINT bytes = 0;
  SQLRETURN rc = SQLGetInfoW(connection, kind, buffer, sizeof buffer, &bytes);
  if (!SQL_SUCCEEDED(rc)) return {};
  return toUtf8(buffer, std::min<std::size_t>(bytes / sizeof(SQLWCHAR), std::size(buffer) - 1));
}

SQLSMALLINT resultColumnCount(const StatementHandle& statement) {
  SQLSMALLINT count = 0;
  SQLRETURN rc = SQLNumResultCols(statement.get(), &count);
  checkResult(rc, SQL_HANDLE_STMT, statement.get(), "counting result columns");
  return count;
}

std::vector<ColumnDescription> describeResult(const StatementHandle& statement, SQLSMALLINT count) {
  std::vector<ColumnDescription> descriptions;
  for (SQLSMALLINT i = 1; i <= count; ++i)
    descriptions.push_back(describeColumn(statement.get(), static_cast<SQLUSMALLINT>(i)));
  return descriptions;
}

std::vector<std::vector<Value>> readAllRows(const StatementHandle& statement,
                                            const std::vector<ColumnInfo>& columns) {
  std::vector<std::vector<Value>> rows;
  for (;;) {
    SQLRETURN rc = SQLFetch(statement.get());
    if (rc == SQL_NO_DATA) break;
    checkResult(rc, SQL_HANDLE_STMT, statement.get(), "fetching a row");
    std::vector<Value> row;
    row.reserve(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
      row.push_back(readValue(statement.get(), static_cast<SQLUSMALLINT>(i + 1), columns[i].type));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string cacheKey(const std::string& table, const std::vector<std::string>& columns) {
  std::string key = table;
  for (const std::string& column : columns) {
    key += '\x1f';
    key += column;
  }
  return key;
}

}  // namespace

OdbcSession::OdbcSession(const std::string& odbcConnectionString, int lockWaitSeconds)
    : connection_(environment_) {
  SQLSetConnectAttr(connection_.get(), SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
  connection_.connect(odbcConnectionString);
  const std::string dbmsName = infoText(connection_.get(), SQL_DBMS_NAME);
  traits_.longTextIsOrdinaryText = dbmsName == "PostgreSQL";
  identifierQuote_ = infoText(connection_.get(), SQL_IDENTIFIER_QUOTE_CHAR);
  // A table another program holds locked is waited for a bounded time, never for good.
  if (const std::string setting = lockWaitStatement(dbmsName, lockWaitSeconds); !setting.empty()) {
    StatementHandle statement(connection_);
    run(statement, setting);
  }
}

bool OdbcSession::run(const StatementHandle& statement, const std::string& sql) {
  WideString text = toWide(sql);
  SQLRETURN rc = SQLExecDirectW(statement.get(), text.data(), static_cast<SQLINTEGER>(text.size()));
  if (rc == SQL_NO_DATA) return false;
  if (!SQL_SUCCEEDED(rc) && reportsLockTimeout(SQL_HANDLE_STMT, statement.get())) {
    const std::string table = tableNameInSelect(sql);
    throw EngineError(tableInUseMessage(table.empty() ? sql : table));
  }
  checkResult(rc, SQL_HANDLE_STMT, statement.get(), "running a statement");
  return true;
}

void OdbcSession::finishResults(const StatementHandle& statement) {
  for (;;) {
    SQLRETURN rc = SQLMoreResults(statement.get());
    if (rc == SQL_NO_DATA) return;
    checkResult(rc, SQL_HANDLE_STMT, statement.get(), "reading the results of a statement");
  }
}

std::unique_ptr<Cursor> OdbcSession::query(const std::string& sql) {
  StatementHandle statement(connection_);
  SQLSMALLINT count = run(statement, sql) ? resultColumnCount(statement) : 0;
  if (count == 0) {
    finishResults(statement);
    return nullptr;
  }
  std::vector<ColumnDescription> descriptions = describeResult(statement, count);
  std::vector<ColumnInfo> columns;
  for (const ColumnDescription& description : descriptions)
    columns.push_back(toColumnInfo(description, traits_));
  std::vector<std::vector<Value>> rows = readAllRows(statement, columns);
  finishResults(statement);
  std::string baseTable = descriptions.front().baseTable;
  if (baseTable.empty()) baseTable = tableNameInSelect(sql);
  return std::make_unique<BufferedCursor>(std::move(columns), std::move(baseTable),
                                          std::move(rows));
}

std::int64_t OdbcSession::execute(const std::string& sql) {
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
  for (const ColumnDescription& d : describeResult(statement, resultColumnCount(statement)))
    targets.push_back({d.sqlType, d.size, d.digits});
  targetCache_.emplace(key, targets);
  return targets;
}

void OdbcSession::insert(const std::string& table, const std::vector<std::string>& columns,
                         const std::vector<Value>& values) {
  requireValuePerColumn(columns, values);
  if (columns.empty()) {
    StatementHandle statement(connection_);
    run(statement, "INSERT INTO " + quoteIdentifier(table, identifierQuote_) + " DEFAULT VALUES");
    return;
  }
  PreparedInsert& prepared = preparedInsertFor(table, columns);
  SQLHSTMT statement = prepared.statement.get();
  ParameterSet parameters(values, prepared.targets);
  // The statement is closed and its parameters let go on every path, so that the next
  // row starts from a clean statement whatever happened to this one.
  struct CloseAfterRun {
    SQLHSTMT statement;
    ~CloseAfterRun() {
      SQLFreeStmt(statement, SQL_CLOSE);
      SQLFreeStmt(statement, SQL_RESET_PARAMS);
    }
  } closeAfterRun{statement};
  parameters.bind(statement);
  SQLRETURN rc = SQLExecute(statement);
  if (rc != SQL_NO_DATA) checkResult(rc, SQL_HANDLE_STMT, statement, "adding a row");
  finishResults(prepared.statement);
}

OdbcSession::PreparedInsert& OdbcSession::preparedInsertFor(
    const std::string& table, const std::vector<std::string>& columns) {
  const std::string key = cacheKey(table, columns);
  if (auto found = preparedInserts_.find(key); found != preparedInserts_.end())
    return *found->second;
  auto prepared = std::make_unique<PreparedInsert>(connection_);
  prepared->targets = targetsFor(table, columns);
  WideString text = toWide(insertStatement(table, columns, identifierQuote_));
  SQLRETURN rc =
      SQLPrepareW(prepared->statement.get(), text.data(), static_cast<SQLINTEGER>(text.size()));
  checkResult(rc, SQL_HANDLE_STMT, prepared->statement.get(), "preparing a row's insert");
  return *preparedInserts_.emplace(key, std::move(prepared)).first->second;
}

void OdbcSession::setAutocommit(bool on) {
  SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
  SQLRETURN rc = SQLSetConnectAttr(connection_.get(), SQL_ATTR_AUTOCOMMIT,
                                   reinterpret_cast<SQLPOINTER>(value), 0);
  checkResult(rc, SQL_HANDLE_DBC, connection_.get(), "switching automatic commit");
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
  setAutocommit(true);
  if (!failure.empty()) throw EngineError(failure);
}

void OdbcSession::commit() {
  endTransaction(SQL_COMMIT);
}

void OdbcSession::rollback() {
  endTransaction(SQL_ROLLBACK);
}

}  // namespace tiermend::data::odbc
