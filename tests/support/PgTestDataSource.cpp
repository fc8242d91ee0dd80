// Creating and dropping a PostgreSQL test database and writing its ODBC entries.
#include "tests/support/PgTestDataSource.h"

#include <cstdlib>
#include <filesystem>

#include "tests/support/ShellCommand.h"

namespace tiermend::testing {

namespace {

constexpr int kPort = 54329;
constexpr const char* kPsql = "/usr/lib/postgresql/15/bin/psql";
// The psqlODBC library as the system registers it (odbcinst -q -d, found by CMake).
constexpr const char* kDriverLibrary = TIERMEND_PSQLODBC_DRIVER;

std::filesystem::path serverFolder() {
  if (const char* fromEnvironment = std::getenv("TIERMEND_PGTEST_DIR")) return fromEnvironment;
  return TIERMEND_PGTEST_DIR;
}

std::filesystem::path socketFolder() {
  return serverFolder() / "run";
}

// Runs psql on a database with the SQL on its input; returns its output or throws with
// its errors.
std::string runPsql(const std::string& database, const std::string& sql) {
  const std::string command = std::string(kPsql) + " -X -q -A -t -v ON_ERROR_STOP=1 -h '" +
                              socketFolder().string() + "' -p " + std::to_string(kPort) +
                              " -U postgres -d '" + database + "' -f -";
  return runShellCommand(command, sql,
                         "psql on database " + database + " (is the test server running in " +
                             serverFolder().string() + "?)");
}

// The data source names the driver by its library, not by an odbcinst.ini entry: the
// driver manager keeps what it once read of odbcinst.ini, so a process that used ODBC
// before this data source existed would not find a new driver entry.
std::string odbcinstIni() {
  return std::string("[PostgreSQL Unicode Test]\nDescription=psqlODBC for the tests\nDriver=") +
         kDriverLibrary + "\n";
}

std::string odbcIni(const std::string& dataSourceName) {
  return "[" + dataSourceName + "]\nDriver=" + kDriverLibrary +
         "\nServername=" + socketFolder().string() + "\nPort=" + std::to_string(kPort) +
         "\nDatabase=postgres\n";
}

}  // namespace

PgTestDataSource::PgTestDataSource() : TestServer("tiermend_pg_") {
  // A database of the same name may be left from an aborted run whose process id recurs.
  runPsql("postgres", "DROP DATABASE IF EXISTS " + database() + " WITH (FORCE);\nCREATE DATABASE " +
                          database() + " ENCODING 'UTF8' TEMPLATE template0;");
  installDataSource(odbcinstIni(), odbcIni(dataSourceName()));
}

PgTestDataSource::~PgTestDataSource() {
  dropQuietly(
      [this] { runPsql("postgres", "DROP DATABASE IF EXISTS " + database() + " WITH (FORCE);"); });
}

std::string PgTestDataSource::psql(const std::string& sql) const {
  return runPsql(database(), sql);
}

}  // namespace tiermend::testing
