// A session on one ODBC connection: statements, inserts and transactions.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/LockWait.h"
#include "data/Provider.h"
#include "data/providers/odbc/OdbcColumns.h"
#include "data/providers/odbc/OdbcHandles.h"
#include "data/providers/odbc/OdbcParameters.h"

namespace tiermend::data::odbc {

class OdbcSession : public Session {
 public:
  // Connects with a complete ODBC connection string (UTF-8). A statement waits at most
  // lockWaitSeconds for a table another program holds locked. Throws EngineError with
  // the driver's message when the connection fails.
  explicit OdbcSession(const std::string& odbcConnectionString,
                       int lockWaitSeconds = kLockWaitSeconds);

  std::unique_ptr<Cursor> query(const std::string& sql) override;
  std::int64_t execute(const std::string& sql) override;
  void insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<Value>& values) override;
  void beginTransaction() override;
  void commit() override;
  void rollback() override;

  const DriverTraits& traits() const { return traits_; }

 private:
  // Runs a statement; false when it reported SQL_NO_DATA.
  bool run(const StatementHandle& statement, const std::string& sql);
  // Steps through the statement's remaining results so the connection is free again;
  // an error in a later result is raised.
  void finishResults(const StatementHandle& statement);
  std::vector<ParameterTarget> targetsFor(const std::string& table,
                                          const std::vector<std::string>& columns);

  // An INSERT prepared once for a table and column list and run again for every row,
  // so that the driver and the server parse and plan it only once.
  struct PreparedInsert {
    explicit PreparedInsert(const ConnectionHandle& connection) : statement(connection) {}
    StatementHandle statement;
    std::vector<ParameterTarget> targets;
  };
  PreparedInsert& preparedInsertFor(const std::string& table,
                                    const std::vector<std::string>& columns);
  void endTransaction(SQLSMALLINT completion);
  void setAutocommit(bool on);

  Environment environment_;
  ConnectionHandle connection_;
  DriverTraits traits_;
  std::string identifierQuote_;
  bool inTransaction_ = false;
  std::map<std::string, std::vector<ParameterTarget>> targetCache_;
  // Declared after the connection so that the statements are freed before it.
  std::map<std::string, std::unique_ptr<PreparedInsert>> preparedInserts_;
};

}  // namespace tiermend::data::odbc
