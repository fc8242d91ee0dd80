// A fresh database on a SQL Server that the environment names (or a server that speaks
// its T-SQL over TDS), reachable as an ODBC data source through FreeTDS, so that the
// server tests run their cases against it as well. No such server is started here: the
// tests that ask for one skip when none is named, as in CI.
//
// The environment names the server, as bench/run-chain takes it:
//   SQLSERVER_HOST      its host name or address (the tests skip without it)
//   SQLSERVER_PORT      its TCP port (default 1433)
//   SQLSERVER_USER, SQLSERVER_PASSWORD
//                       a SQL Server login that may create and drop databases
// Each instance creates a database "tiermend_<pid>_<n>" and drops it again on
// destruction. The data source names FreeTDS by its library (see PgTestDataSource.h for
// why) with TDS 7.4 and UTF-8, as the tool reaches a SQL Server. The server's own
// client here is FreeTDS's bsqldb, through a freetds.conf of the instance's own.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/TestServer.h"

namespace tiermend::testing {

class SqlServerTestDataSource : public TestServer {
 public:
  // Why no SQL Server can be used (no SQLSERVER_HOST or SQLSERVER_USER), or empty when
  // one is named.
  static std::string unavailableReason();

  // Creates the database and the data source; throws std::runtime_error (with bsqldb's
  // message) when the server cannot be reached or the database cannot be made.
  SqlServerTestDataSource();
  ~SqlServerTestDataSource() override;

  std::string kind() const override { return "sqlserver"; }
  std::string adminUser() const override;
  std::string adminPassword() const override;
  // Runs T-SQL with bsqldb; "go" on a line of its own ends a batch. Rows as psql gives
  // them: fields joined by "|", NULL empty.
  std::string sql(const std::string& statements) const override;
  // SQL Server says "CHECK constraint", Babelfish (PostgreSQL's words) "check constraint".
  std::string checkViolationWords() const override { return "heck constraint"; }
  std::string autoIncrementInteger() const override { return "int IDENTITY"; }
  std::string addColumn(const std::string& table, const std::string& column) const override {
    return "ALTER TABLE " + table + " ADD " + column;
  }
  std::string unicodeVarchar(int length) const override {
    return "nvarchar(" + std::to_string(length) + ")";
  }
  std::string bracketTablesSchema() const override { return "bracket-tables-sqlserver.sql"; }

 private:
  // Runs statements that make or drop a database, in master.
  void runInMaster(const std::string& statements) const;
  // Runs bsqldb in a database with the statements on its input.
  std::string runClient(const std::string& database, const std::string& statements) const;

  std::filesystem::path freeTdsConf_;
};

}  // namespace tiermend::testing
