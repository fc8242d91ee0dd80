// A session on one ODBC connection: statements, inserts and transactions.
//
// Inside a transaction, posted rows are held back and sent together instead of one
// round trip each. Nothing of the transaction is visible to anyone else before the
// commit, so only the moment the rows reach the server moves; the rows held back are
// sent when there are as many as one batch takes, before any other statement
// (including an insert into another table or column list), before the commit and on
// flush(). How a table's rows travel together the dialect decides (see RowsTravel):
// as multi-row INSERT statements of as many rows as the system's parameter limit lets
// one statement carry (each size prepared once), as parameter arrays of the one-row
// insert, or one by one. What the caller sees stays what row-at-a-time posting shows,
// the first refused row's failure with the message it gives on its own:
// - PostgreSQL checks a batch's rows in the order sent and stops at the first refused
//   one, which then ends the transaction's work as it would one row at a time; the
//   batch's message is that row's, with the same serial numbers drawn before it.
//   Multi-row statements go only into tables whose inserts fire nothing at the
//   statement's end (which could refuse a later row first); arrays, which psqlODBC runs
//   row after row, into the others.
// - Elsewhere a savepoint is set before each batch; when the batch fails the session
//   goes back to it and sends that batch's rows one by one (drivers do not say reliably
//   which row failed, and the servers take the whole statement or array back).
// Outside a transaction every row is sent at once, as each must take effect on its own.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/LockWait.h"
#include "data/Provider.h"
#include "data/providers/odbc/OdbcColumns.h"
#include "data/providers/odbc/OdbcCursor.h"
#include "data/providers/odbc/OdbcDialect.h"
#include "data/providers/odbc/OdbcHandles.h"
#include "data/providers/odbc/OdbcParameterBlock.h"
#include "data/providers/odbc/OdbcParameters.h"
#include "data/providers/odbc/OdbcRowQueue.h"

namespace tiermend::data::odbc {

// The most rows held back at once inside a transaction; a multi-row statement carries
// fewer when the system's parameter limit says so. Measured with bench/run-chain,
// statements of 1,000 or 2,000 rows are no faster on PostgreSQL or MariaDB, and the
// drivers keep more for each of their parameters.
constexpr std::size_t kRowsPerBatch = 500;

// What the driver made of the last parameter array sent: each row's status and the
// count it says it processed. For tests that record a driver's real behaviour.
struct ArrayOutcome {
  std::size_t rows = 0;
  bool failed = false;
  std::vector<SQLUSMALLINT> statuses;
  SQLULEN processed = 0;
};

// How the rows posted in the session's transactions travelled, counted from its start.
struct BatchCounts {
  std::size_t multiRowStatements = 0;  // multi-row statements run
  std::size_t rowsInStatements = 0;    // the rows they carried
  std::size_t arrays = 0;              // parameter arrays run
  std::size_t replayed = 0;            // batches refused, then sent again row by row
};

class OdbcSession : public Session {
 public:
  // Connects with a complete ODBC connection string (UTF-8). At most rowsPerBatch rows
  // are held back; 1 sends every row on its own. A statement waits at most
  // lockWaitSeconds for a table another program holds locked. Throws EngineError with
  // the driver's message when the connection fails.
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
  const BatchCounts& batchCounts() const { return batchCounts_; }
  // How rows posted inside a transaction travel into the table (asked of the server
  // once a table).
  RowsTravel rowsTravelInto(const std::string& table);

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
  // so that the driver and the server parse and plan it only once; likewise its
  // multi-row form, once for each number of rows sent.
  struct PreparedInsert {
    PreparedInsert(const ConnectionHandle& connection, std::string table)
        : statement(connection), table(std::move(table)) {}
    StatementHandle statement;
    std::string table;
    std::vector<std::string> columns;
    std::vector<ParameterTarget> targets;
    // How rows posted inside a transaction travel, decided at the first of them.
    std::optional<RowsTravel> travel;
    std::size_t rowsPerBatch = 1;  // the most rows sent together
    // The multi-row form of the insert, with its parameters bound once.
    struct MultiRow {
      MultiRow(StatementHandle statement, std::size_t parameters)
          : statement(std::move(statement)), parameters(parameters) {}
      StatementHandle statement;
      ParameterBlock parameters;
    };
    std::map<std::size_t, MultiRow> multiRow;  // by its number of rows
  };
  PreparedInsert& preparedInsertFor(const std::string& key, const std::string& table,
                                    const std::vector<std::string>& columns);
  // Decides how the insert's rows travel inside a transaction, and how many together.
  void decideTravel(PreparedInsert& prepared);
  // The multi-row form of the insert for this many rows, prepared on first use.
  PreparedInsert::MultiRow& multiRowStatement(PreparedInsert& prepared, std::size_t rows);
  // Runs one row's insert on its own.
  void insertRow(PreparedInsert& prepared, ParameterSet& row);
  // Sends queued rows together, finding the first refused row when they fail.
  void sendBatch(PreparedInsert& prepared, std::vector<ParameterSet>& rows);
  // What became of a batch: the failure's text, empty when every row went in, and
  // whether it was a lock wait that ran out rather than a refused row.
  struct BatchOutcome {
    std::string failure;
    bool lockWaitRanOut = false;
  };
  // Runs the rows as one multi-row statement or one array, as the insert's rows travel.
  BatchOutcome executeBatch(PreparedInsert& prepared, std::vector<ParameterSet>& rows);
  BatchOutcome executeStatement(PreparedInsert& prepared, std::vector<ParameterSet>& rows);
  BatchOutcome executeArray(PreparedInsert& prepared, std::vector<ParameterSet>& rows);
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
  std::size_t rowsPerBatch_;
  ArrayOutcome lastArray_;
  BatchCounts batchCounts_;
  std::map<std::string, std::vector<ParameterTarget>> targetCache_;
  std::map<std::string, std::vector<ServerFilledColumn>> serverFilledCache_;
  std::map<std::string, RowsTravel> rowsTravelCache_;
  // Declared after the connection so that the statements are freed before it.
  std::map<std::string, std::unique_ptr<PreparedInsert>> preparedInserts_;
};

}  // namespace tiermend::data::odbc
