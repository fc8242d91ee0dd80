// A fresh PostgreSQL database on the private test server, reachable as an ODBC data
// source through the psqlODBC (Unicode) driver. For tests that run real statements
// through the ODBC provider, up to a whole refresh.
//
// The server is the one scripts/postgres-test-server runs in /tmp/tiermend-pgtest-<hash of the
// build folder>; CTest starts it through the fixture "postgres" (tests register with
// tiermend_test(... FIXTURE postgres ...), or set FIXTURES_REQUIRED postgres themselves).
// TIERMEND_PGTEST_DIR in the environment names another server folder.
//
// Use:
//   tiermend::testing::PgTestDataSource pg;          // database + DSN created
//   pg.psql("CREATE TABLE labor (id integer)");      // set up with psql
//   auto text = pg.oleDbConnectionString();  // "Provider=SQLOLEDB.1;...;Data Source=<dsn>;"
//   ... open it through the data layer ...
//   pg.psql("SELECT count(*) FROM labor");           // "3\n"
// Destruction drops the database (see TestServer for the data source's life).
// The data source names psqlODBC by its library path, so it is found even when the
// process used ODBC before (the driver manager keeps what it read of odbcinst.ini).
#pragma once

#include <string>

#include "tests/support/TestServer.h"

namespace tiermend::testing {

class PgTestDataSource : public TestServer {
 public:
  // Creates the database and the data source; throws std::runtime_error (with psql's
  // message) when the server is not running or the database cannot be made.
  PgTestDataSource();
  ~PgTestDataSource() override;

  // Runs SQL (one or more statements) in this database with psql, stopping at the
  // first error. Returns the output rows, one per line, fields joined by "|", without
  // headers. Throws std::runtime_error with psql's message on failure.
  std::string psql(const std::string& sql) const;

  std::string kind() const override { return "postgres"; }
  // The server trusts every user name that exists; "postgres" always does.
  std::string adminUser() const override { return "postgres"; }
  std::string sql(const std::string& statements) const override { return psql(statements); }
  std::string checkViolationWords() const override { return "violates check constraint"; }
  std::string autoIncrementInteger() const override { return "serial"; }
};

}  // namespace tiermend::testing
