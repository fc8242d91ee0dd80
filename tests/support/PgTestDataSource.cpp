#include "tests/support/PgTestDataSource.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

// Runs psql on a database with the SQL in a file; returns stdout or throws with stderr.
std::string runPsql(const std::string& database, const std::string& sql) {
  std::filesystem::path work =
      std::filesystem::temp_directory_path() / ("tiermend_psql_" + uniqueSuffix());
  std::filesystem::create_directories(work);
  const auto input = work / "input.sql", output = work / "output.txt", errors = work / "errors.txt";
  std::ofstream(input, std::ios::binary) << sql;
  std::string command = std::string(kPsql) + " -X -q -A -t -v ON_ERROR_STOP=1 -h '" +
                        PgTestDataSource::socketFolder().string() + "' -p " +
                        std::to_string(kPort) + " -U postgres -d '" + database + "' -f '" +
                        input.string() + "' >'" + output.string() + "' 2>'" + errors.string() + "'";
  int status = std::system(command.c_str());
  std::string out = readFile(output), err = readFile(errors);
  std::filesystem::remove_all(work);
  if (status != 0)
    throw std::runtime_error("psql failed on database " + database + ": " + err +
                             " (is the test server running in " + serverFolder().string() + "?)");
  return out;
}

void setVariable(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 1);
}

}  // namespace

std::filesystem::path PgTestDataSource::socketFolder() {
  return serverFolder() / "run";
}

int PgTestDataSource::port() {
  return kPort;
}

std::string PgTestDataSource::psqlAdmin(const std::string& sql) {
  return runPsql("postgres", sql);
}

PgTestDataSource::PgTestDataSource()
    : database_("tiermend_" + uniqueSuffix()), dataSourceName_("tiermend_pg_" + uniqueSuffix()) {
  // A database of the same name may be left from an aborted run whose process id recurs.
  psqlAdmin("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE);\nCREATE DATABASE " +
            database_ + " ENCODING 'UTF8' TEMPLATE template0;");
  folder_ = std::filesystem::temp_directory_path() / ("tiermend_odbc_" + uniqueSuffix());
  std::filesystem::create_directories(folder_);
  writeIniFiles();
  if (const char* v = std::getenv("ODBCINI")) hadOdbcIni_ = true, savedOdbcIni_ = v;
  if (const char* v = std::getenv("ODBCSYSINI")) hadOdbcSysIni_ = true, savedOdbcSysIni_ = v;
  setVariable("ODBCINI", (folder_ / "odbc.ini").string());
  setVariable("ODBCSYSINI", folder_.string());
}

PgTestDataSource::~PgTestDataSource() {
  try {
    psqlAdmin("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE);");
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

// The data source names the driver by its library, not by an odbcinst.ini entry: the
// driver manager keeps what it once read of odbcinst.ini, so a process that used ODBC
// before this data source existed would not find a new driver entry.
void PgTestDataSource::writeIniFiles() const {
  std::ofstream(folder_ / "odbcinst.ini") << "[PostgreSQL Unicode Test]\n"
                                          << "Description=psqlODBC for the tests\n"
                                          << "Driver=" << kDriverLibrary << "\n";
  std::ofstream(folder_ / "odbc.ini") << "[" << dataSourceName_ << "]\n"
                                      << "Driver=" << kDriverLibrary << "\n"
                                      << "Servername=" << socketFolder().string() << "\n"
                                      << "Port=" << kPort << "\n"
                                      << "Database=postgres\n";
}

std::string PgTestDataSource::oleDbConnectionString(const std::string& user,
                                                    const std::string& password) const {
  std::string text = "Provider=SQLOLEDB.1;";
  if (!password.empty()) text += "Password=" + password + ";";
  text += "Persist Security Info=True;;User ID=" + user + ";Initial Catalog=" + database_ +
          ";Data Source=" + dataSourceName_ + ";";
  return text;
}

std::string PgTestDataSource::psql(const std::string& sql) const {
  return runPsql(database_, sql);
}

}  // namespace tiermend::testing
