// A fresh PostgreSQL database on the private test server, reachable as an ODBC data
// source through the psqlODBC (Unicode) driver. For tests that run real statements
// through the ODBC provider, up to a whole refresh.
//
// The server is the one scripts/postgres-test-server runs in /tmp/tiermend-pgtest-<hash of the
// build folder>; CTest starts it through the fixture "postgres" (tests register with
// tiermend_pg_test, or set FIXTURES_REQUIRED postgres themselves). TIERMEND_PGTEST_DIR in the
// environment names another server folder.
//
// Use:
//   tiermend::testing::PgTestDataSource pg;          // database + DSN created
//   pg.psql("CREATE TABLE labor (id integer)");      // set up with psql
//   auto text = pg.oleDbConnectionString();  // "Provider=SQLOLEDB.1;...;Data Source=<dsn>;"
//   ... open it through the data layer ...
//   pg.psql("SELECT count(*) FROM labor");           // "3\n"
// Destruction drops the database, removes the ini files and restores ODBCINI and
// ODBCSYSINI. Keep one instance alive at a time per process (they set process-wide
// environment variables); instances one after another in one process work.
// The data source names psqlODBC by its library path, so it is found even when the
// process used ODBC before (the driver manager keeps what it read of odbcinst.ini).
#pragma once

#include <filesystem>
#include <string>

namespace tiermend::testing {

class PgTestDataSource {
 public:
  // Creates the database and the data source; throws std::runtime_error (with psql's
  // message) when the server is not running or the database cannot be made.
  PgTestDataSource();
  ~PgTestDataSource();
  PgTestDataSource(const PgTestDataSource&) = delete;
  PgTestDataSource& operator=(const PgTestDataSource&) = delete;

  // The ODBC data source name written to odbc.ini (ODBCINI points there).
  const std::string& dataSourceName() const { return dataSourceName_; }
  // The database's name on the server.
  const std::string& database() const { return database_; }
  // The temporary folder holding odbc.ini and odbcinst.ini (ODBCSYSINI points there).
  const std::filesystem::path& folder() const { return folder_; }

  // The connection string the tool builds for a SQL Server link, naming this data
  // source: "Provider=SQLOLEDB.1;[Password=p;]Persist Security Info=True;;User ID=u;
  // Initial Catalog=<database>;Data Source=<dsn>;". The server trusts every user name
  // that exists; "postgres" always does.
  std::string oleDbConnectionString(const std::string& user = "postgres",
                                    const std::string& password = "") const;

  // Runs SQL (one or more statements) in this database with psql, stopping at the
  // first error. Returns the output rows, one per line, fields joined by "|", without
  // headers. Throws std::runtime_error with psql's message on failure.
  std::string psql(const std::string& sql) const;

  // Runs SQL in the server's "postgres" database (for creating and dropping databases).
  static std::string psqlAdmin(const std::string& sql);

  // Where the test server listens: its socket folder and port number.
  static std::filesystem::path socketFolder();
  static int port();

 private:
  void writeIniFiles() const;

  std::string database_;
  std::string dataSourceName_;
  std::filesystem::path folder_;
  std::string savedOdbcIni_, savedOdbcSysIni_;
  bool hadOdbcIni_ = false, hadOdbcSysIni_ = false;
};

}  // namespace tiermend::testing
