// Creating and dropping a MariaDB test database and writing its ODBC entries.
#include "tests/support/MariaTestDataSource.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "tests/support/ShellCommand.h"

namespace tiermend::testing {

namespace {

constexpr const char* kDriverName = "MariaDB Unicode";

std::filesystem::path serverFolder() {
  if (const char* fromEnvironment = std::getenv("TIERMEND_MARIATEST_DIR")) return fromEnvironment;
  return TIERMEND_MARIATEST_DIR;
}

std::filesystem::path socket() {
  return serverFolder() / "run" / "mysqld.sock";
}

// The client's tab-separated rows as psql gives them: fields joined by "|", NULL empty.
std::string asPsqlRows(const std::string& tabbed) {
  std::string rows, field;
  auto endField = [&] {
    if (field != "NULL") rows += field;
    field.clear();
  };
  for (char c : tabbed) {
    if (c == '\t' || c == '\n') {
      endField();
      rows += c == '\t' ? '|' : '\n';
    } else {
      field += c;
    }
  }
  endField();
  return rows;
}

// Runs SQL through the mariadb client, in a database or (given "") in none.
std::string runClient(const std::string& database, const std::string& sql) {
  std::string command =
      "mariadb --no-defaults --default-character-set=utf8mb4 -N -B -r -u root -S '" +
      socket().string() + "'";
  if (!database.empty()) command += " -D '" + database + "'";
  return asPsqlRows(runShellCommand(command, sql,
                                    "mariadb on " + (database.empty() ? "the server" : database) +
                                        " (is the test server running in " +
                                        serverFolder().string() + "?)"));
}

// The registered driver's entry from the system's ODBC configuration, under its name.
std::string registeredDriverEntry() {
  std::string entry = runShellCommand(
      std::string("env -u ODBCSYSINI -u ODBCINI odbcinst -q -d -n '") + kDriverName + "'", "",
      std::string("looking up the ODBC driver ") + kDriverName);
  if (entry.find("Driver") == std::string::npos)
    throw std::runtime_error(std::string("no ODBC driver is registered as ") + kDriverName);
  return entry;
}

}  // namespace

MariaTestDataSource::MariaTestDataSource() : TestServer("tiermend_maria_") {
  // A database of the same name may be left from an aborted run whose process id recurs.
  runClient("", "DROP DATABASE IF EXISTS " + database() + ";\nCREATE DATABASE " + database() +
                    " CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci;");
  installDataSource(registeredDriverEntry(), "[" + dataSourceName() + "]\nDriver=" + kDriverName +
                                                 "\nSocket=" + socket().string() +
                                                 "\nDatabase=" + database() + "\n");
}

MariaTestDataSource::~MariaTestDataSource() {
  dropQuietly([this] { runClient("", "DROP DATABASE IF EXISTS " + database() + ";"); });
}

std::string MariaTestDataSource::sql(const std::string& statements) const {
  return runClient(database(), statements);
}

}  // namespace tiermend::testing
