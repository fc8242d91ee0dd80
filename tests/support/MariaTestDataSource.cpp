#include "tests/support/MariaTestDataSource.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tiermend::testing {

namespace {

constexpr const char* kDriverName = "MariaDB Unicode";

std::filesystem::path serverFolder() {
  if (const char* fromEnvironment = std::getenv("TIERMEND_MARIATEST_DIR")) return fromEnvironment;
  return TIERMEND_MARIATEST_DIR;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string uniqueSuffix() {
  static std::atomic<int> counter{0};
  return std::to_string(getpid()) + "_" + std::to_string(++counter);
}

// Runs a shell command; gives its output or throws with its errors.
std::string runCommand(const std::string& command, const std::string& what) {
  std::filesystem::path work =
      std::filesystem::temp_directory_path() / ("tiermend_mariadb_" + uniqueSuffix());
  std::filesystem::create_directories(work);
  const auto output = work / "output.txt", errors = work / "errors.txt";
  const std::string full = command + " >'" + output.string() + "' 2>'" + errors.string() + "'";
  int status = std::system(full.c_str());
  std::string out = readFile(output), err = readFile(errors);
  std::filesystem::remove_all(work);
  if (status != 0) throw std::runtime_error(what + " failed: " + err);
  return out;
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

// Runs SQL through the mariadb client, optionally in a database.
std::string runClient(const std::string& database, const std::string& sql) {
  std::filesystem::path input =
      std::filesystem::temp_directory_path() / ("tiermend_mariadb_in_" + uniqueSuffix() + ".sql");
  std::ofstream(input, std::ios::binary) << sql;
  std::string command =
      "mariadb --no-defaults --default-character-set=utf8mb4 -N -B -r -u root -S '" +
      MariaTestDataSource::socket().string() + "'";
  if (!database.empty()) command += " -D '" + database + "'";
  command += " <'" + input.string() + "'";
  try {
    std::string out = runCommand(
        command, "mariadb on " + (database.empty() ? "the server" : database) +
                     " (is the test server running in " + serverFolder().string() + "?)");
    std::filesystem::remove(input);
    return asPsqlRows(out);
  } catch (...) {
    std::filesystem::remove(input);
    throw;
  }
}

// The registered driver's entry from the system's ODBC configuration, under its name.
std::string registeredDriverEntry() {
  std::string entry = runCommand(
      std::string("env -u ODBCSYSINI -u ODBCINI odbcinst -q -d -n '") + kDriverName + "'",
      std::string("looking up the ODBC driver ") + kDriverName);
  if (entry.find("Driver") == std::string::npos)
    throw std::runtime_error(std::string("no ODBC driver is registered as ") + kDriverName);
  return entry;
}

void setVariable(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 1);
}

}  // namespace

std::filesystem::path MariaTestDataSource::socket() {
  return serverFolder() / "run" / "mysqld.sock";
}

std::string MariaTestDataSource::sqlAdmin(const std::string& statements) {
  return runClient("", statements);
}

MariaTestDataSource::MariaTestDataSource()
    : database_("tiermend_" + uniqueSuffix()), dataSourceName_("tiermend_maria_" + uniqueSuffix()) {
  // A database of the same name may be left from an aborted run whose process id recurs.
  sqlAdmin("DROP DATABASE IF EXISTS " + database_ + ";\nCREATE DATABASE " + database_ +
           " CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci;");
  folder_ = std::filesystem::temp_directory_path() / ("tiermend_odbc_" + uniqueSuffix());
  std::filesystem::create_directories(folder_);
  writeIniFiles();
  if (const char* v = std::getenv("ODBCINI")) hadOdbcIni_ = true, savedOdbcIni_ = v;
  if (const char* v = std::getenv("ODBCSYSINI")) hadOdbcSysIni_ = true, savedOdbcSysIni_ = v;
  setVariable("ODBCINI", (folder_ / "odbc.ini").string());
  setVariable("ODBCSYSINI", folder_.string());
}

MariaTestDataSource::~MariaTestDataSource() {
  try {
    sqlAdmin("DROP DATABASE IF EXISTS " + database_ + ";");
  } catch (const std::exception&) {
    // The server may already be gone; nothing else depends on the drop.
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
  if (hadOdbcIni_)
    setVariable("ODBCINI", savedOdbcIni_);
  else
    unsetenv("ODBCINI");
  if (hadOdbcSysIni_)
    setVariable("ODBCSYSINI", savedOdbcSysIni_);
  else
    unsetenv("ODBCSYSINI");
}

void MariaTestDataSource::writeIniFiles() const {
  std::ofstream(folder_ / "odbcinst.ini") << registeredDriverEntry();
  std::ofstream(folder_ / "odbc.ini") << "[" << dataSourceName_ << "]\n"
                                      << "Driver=" << kDriverName << "\n"
                                      << "Socket=" << socket().string() << "\n"
                                      << "Database=" << database_ << "\n";
}

std::string MariaTestDataSource::oleDbConnectionString(const std::string& user,
                                                       const std::string& password) const {
  std::string text = "Provider=SQLOLEDB.1;";
  if (!password.empty()) text += "Password=" + password + ";";
  text += "Persist Security Info=True;;User ID=" + user + ";Initial Catalog=" + database_ +
          ";Data Source=" + dataSourceName_ + ";";
  return text;
}

std::string MariaTestDataSource::sql(const std::string& statements) const {
  return runClient(database_, statements);
}

}  // namespace tiermend::testing
