// A session on one ODBC connection: statements, inserts and transactions.
//
// Inside a transaction, posted rows are queued and sent as parameter arrays of up to
// rowsPerBatch rows per execution instead of one round trip each. Nothing of the
// transaction is visible to anyone else before the commit, so only the moment the rows
// reach the server moves; the queue is sent when full, before any other statement
// (including an insert into another table or column list), before the commit and on
// flush(). What the caller sees stays what row-at-a-time posting shows, the first
// refused row's failure with the message it gives on its own:
// - PostgreSQL runs an array's rows in order and stops at the first error, which then
//   ends the transaction's work as it would one row at a time; the array's message is
//   that row's, with the same serial numbers drawn before it.
// - Elsewhere a savepoint is set before each array; when the array fails the session
//   goes back to it and sends that array's rows one by one (MariaDB Connector/ODBC and
//   FreeTDS do not say reliably which row failed, and MariaDB takes the whole array back).
// Outside a transaction every row is sent at once, as each must take effect on its own.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/LockWait.h"
#include "data/Provider.h"
#include "data/providers/odbc/OdbcColumns.h"
#include "data/providers/odbc/OdbcCursor.h"
#include "data/providers/odbc/OdbcDialect.h"
#include "data/providers/odbc/OdbcHandles.h"
#include "data/providers/odbc/OdbcParameters.h"
#include "data/providers/odbc/OdbcRowQueue.h"

namespace tiermend::data::odbc {

// Rows per parameter array inside a transaction.
constexpr std::size_t kRowsPerBatch = 1000;

// What the driver made of the last parameter array sent: each row's status and the
// count it says it processed. For tests that record a driver's real behaviour.
struct ArrayOutcome {
  std::size_t rows = 0;
  bool failed = false;
  std::vector<SQLUSMALLINT> statuses;
  SQLULEN processed = 0;
};

class OdbcSession : public Session {
 public:
  // Connects with a complete ODBC connection string (UTF-8). rowsPerBatch 1 sends every
  // row on its own. A statement waits at most lockWaitSeconds for a table another
  // program holds locked. Throws EngineError with the driver's message when the
  // connection fails.
  explicit OdbcSession(const std::string& odbcConnectionString,
                       std::size_t rowsPerBatch = kRowsPerBatch,
                       int lockWaitSeconds = kLockWaitSeconds);

  std::unique_ptr<Cursor> query(const std::string& sql) override;
  std::int64_t execute(const std::string& sql) override;
  void insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<Value>& values) override;
  void beginTransaction() override;
  void commit() override;
  void rollback() override;
  void flush() override;

  const Dialect& dialect() const { return dialect_; }
  std::size_t queuedRows() const { return queue_.size(); }
  const ArrayOutcome& lastArray() const { return lastArray_; }
  // Arrays that failed and were sent again row by row.
  std::size_t arraysReplayed() const { return arraysReplayed_; }

 private:
  // Runs a statement; false when it reported SQL_NO_DATA.
  bool run(const StatementHandle& statement, const std::string& sql);
  // Raises the statement's failure: a lock wait that ran out as the table (or, without
  // one, the statement) being in use, anything else with the driver's words.
  void checkStatement(SQLRETURN rc, SQLHSTMT statement, std::string_view action,
                      const std::string& table);
  // Marks the result's columns that the server fills in itself, where the dialect
  // asks the server rather than trusting the driver's flags.
  void markServerFilledColumns(OdbcCursor& cursor);
  // A plain select of one table, prepared and described but not run until its first
  // row is asked for; run at once when the driver cannot describe it before running.
  // nullptr when it has no result set (it has then been run).
  std::unique_ptr<OdbcCursor> prepareSelect(const std::string& sql, const std::string& table);
  // Runs a prepared statement, sending the rows held back first.
  void runPrepared(const StatementHandle& statement, const std::string& table);
  std::vector<ParameterTarget> targetsFor(const std::string& table,
                                          const std::vector<std::string>& columns);

  // An INSERT prepared once for a table and column list and run again for every row,
  // so that the driver and the server parse and plan it only once.
  struct PreparedInsert {
    PreparedInsert(const ConnectionHandle& connection, std::string table)
        : statement(connection), table(std::move(table)) {}
    StatementHandle statement;
    std::string table;
    std::vector<ParameterTarget> targets;
  };
  PreparedInsert& preparedInsertFor(const std::string& key, const std::string& table,
                                    const std::vector<std::string>& columns);
  // Runs one row's insert on its own.
  void insertRow(PreparedInsert& prepared, ParameterSet& row);
  // Sends queued rows as one array, finding the first refused row when it fails.
  void sendArray(PreparedInsert& prepared, std::vector<ParameterSet>& rows);
  // Runs the array; gives the failure's text, empty when every row went in.
  std::string executeArray(PreparedInsert& prepared, std::vector<ParameterSet>& rows);
  // Runs a statement, false (instead of throwing) when it fails.
  bool tryRun(const std::string& sql);
  void runStatement(const std::string& sql);
  void discardQueue();
  void endTransaction(SQLSMALLINT completion);
  // Switches automatic commit; the second form gives the driver's result unchecked.
  void setAutocommit(bool on);
  SQLRETURN trySetAutocommit(bool on);

  Environment environment_;
  ConnectionHandle connection_;
  DriverTraits traits_;
  std::string identifierQuote_;
  Dialect dialect_;
  SavepointStatements savepoint_;
  bool inTransaction_ = false;
  RowQueue queue_;
  PreparedInsert* queuedFor_ = nullptr;  // the insert the queued rows belong to
  std::string queuedKey_;
  ArrayOutcome lastArray_;
  std::size_t arraysReplayed_ = 0;
  std::map<std::string, std::vector<ParameterTarget>> targetCache_;
  std::map<std::string, std::vector<ServerFilledColumn>> serverFilledCache_;
  // Declared after the connection so that the statements are freed before it.
  std::map<std::string, std::unique_ptr<PreparedInsert>> preparedInserts_;
};

}  // namespace tiermend::data::odbc
