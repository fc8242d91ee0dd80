// Creating and dropping a test database on the SQL Server the environment names, and
// writing its ODBC and FreeTDS entries.
#include "tests/support/SqlServerTestDataSource.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "tests/support/ShellCommand.h"

namespace tiermend::testing {

namespace {

// The FreeTDS ODBC library as the system registers it (odbcinst -q -d, found by CMake).
constexpr const char* kDriverLibrary = TIERMEND_FREETDS_DRIVER;
constexpr const char* kDefaultPort = "1433";
constexpr const char* kServerEntry = "tiermend_test";
constexpr int kDatabaseAttempts = 5;

std::string variable(const char* name, const char* otherwise = "") {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : otherwise;
}

std::string host() {
  return variable("SQLSERVER_HOST");
}

std::string port() {
  return variable("SQLSERVER_PORT", kDefaultPort);
}

// A text in single quotes for the shell.
std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

// bsqldb's rows as psql gives them: NULL fields empty.
std::string asPsqlRows(const std::string& rows) {
  std::string converted, field;
  auto endField = [&] {
    if (field != "NULL") converted += field;
    field.clear();
  };
  for (char c : rows) {
    if (c == '|' || c == '\n') {
      endField();
      converted += c;
    } else {
      field += c;
    }
  }
  endField();
  return converted;
}

}  // namespace

std::string SqlServerTestDataSource::unavailableReason() {
  if (host().empty())
    return "no SQL Server is named: set SQLSERVER_HOST (and SQLSERVER_PORT, SQLSERVER_USER, "
           "SQLSERVER_PASSWORD) to run these cases against one";
  if (variable("SQLSERVER_USER").empty())
    return "SQLSERVER_HOST names a SQL Server but SQLSERVER_USER names no login on it";
  return {};
}

SqlServerTestDataSource::SqlServerTestDataSource() : TestServer("tiermend_mssql_") {
  if (const std::string reason = unavailableReason(); !reason.empty())
    throw std::runtime_error(reason);
  installDataSource(std::string("[FreeTDS Test]\nDescription=FreeTDS for the tests\nDriver=") +
                        kDriverLibrary + "\n",
                    "[" + dataSourceName() + "]\nDriver=" + kDriverLibrary + "\nServer=" + host() +
                        "\nPort=" + port() + "\nTDS_Version=7.4\nClientCharset=UTF-8\n");
  // bsqldb's entry, in a file of the instance's own. bsqldb cannot print date, time and
  // datetime2 values ("type 40 not supported"): select them converted to text.
  freeTdsConf_ = std::filesystem::temp_directory_path() / (dataSourceName() + ".freetds.conf");
  std::ofstream(freeTdsConf_) << "[" << kServerEntry << "]\n\thost = " << host()
                              << "\n\tport = " << port()
                              << "\n\ttds version = 7.4\n\tclient charset = UTF-8\n";
  // A database of the same name may be left from an aborted run whose process id recurs.
  runInMaster("IF DB_ID(N'" + database() + "') IS NOT NULL DROP DATABASE " + database() +
              "\ngo\nCREATE DATABASE " + database() + "\n");
}

SqlServerTestDataSource::~SqlServerTestDataSource() {
  dropQuietly([this] {
    runInMaster("IF DB_ID(N'" + database() + "') IS NOT NULL DROP DATABASE " + database());
  });
  std::error_code ignored;
  std::filesystem::remove(freeTdsConf_, ignored);
}

std::string SqlServerTestDataSource::adminUser() const {
  return variable("SQLSERVER_USER");
}

std::string SqlServerTestDataSource::adminPassword() const {
  return variable("SQLSERVER_PASSWORD");
}

std::string SqlServerTestDataSource::sql(const std::string& statements) const {
  return asPsqlRows(runClient(database(), statements));
}

void SqlServerTestDataSource::runInMaster(const std::string& statements) const {
  // Babelfish refuses a database made or dropped while another session makes or drops
  // one ("tuple concurrently updated"), as parallel tests do: tried a few times.
  for (int attempt = 1;; ++attempt) {
    try {
      runClient("master", statements);
      return;
    } catch (const std::runtime_error&) {
      if (attempt == kDatabaseAttempts) throw;
      std::this_thread::sleep_for(std::chrono::milliseconds(200 * attempt));
    }
  }
}

std::string SqlServerTestDataSource::runClient(const std::string& database,
                                               const std::string& statements) const {
  const std::string command = "FREETDSCONF=" + shellQuoted(freeTdsConf_.string()) +
                              " bsqldb -q -t '|' -S " + kServerEntry + " -U " +
                              shellQuoted(adminUser()) + " -P " + shellQuoted(adminPassword()) +
                              " -D " + shellQuoted(database);
  return runShellCommand(
      command, statements,
      "bsqldb on " + database + " (SQL Server " + host() + ", port " + port() + ")");
}

}  // namespace tiermend::testing
