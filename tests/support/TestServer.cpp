// What both test servers share: unique database and data source names, the private ODBC
// ini files put in place and taken away again, and the connection string to them.
#include "tests/support/TestServer.h"

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "tests/support/MariaTestDataSource.h"
#include "tests/support/PgTestDataSource.h"
#include "tests/support/SqlServerTestDataSource.h"

namespace tiermend::testing {

namespace {

std::string uniqueSuffix() {
  static std::atomic<int> counter{0};
  return std::to_string(getpid()) + "_" + std::to_string(++counter);
}

std::optional<std::string> variable(const char* name) {
  if (const char* value = std::getenv(name)) return value;
  return std::nullopt;
}

}  // namespace

void TestServer::SavedVariable::restore() const {
  if (value)
    setenv(name, value->c_str(), 1);
  else
    unsetenv(name);
}

TestServer::TestServer(const std::string& dataSourcePrefix)
    : database_("tiermend_" + uniqueSuffix()), dataSourceName_(dataSourcePrefix + uniqueSuffix()) {}

TestServer::~TestServer() {
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  if (odbcIni_) odbcIni_->restore();
  if (odbcSysIni_) odbcSysIni_->restore();
}

void TestServer::installDataSource(const std::string& odbcinstIni, const std::string& odbcIni) {
  folder_ = std::filesystem::temp_directory_path() / ("tiermend_odbc_" + uniqueSuffix());
  std::filesystem::create_directories(folder_);
  std::ofstream(folder_ / "odbcinst.ini") << odbcinstIni;
  std::ofstream(folder_ / "odbc.ini") << odbcIni;
  odbcIni_ = SavedVariable{"ODBCINI", variable("ODBCINI")};
  odbcSysIni_ = SavedVariable{"ODBCSYSINI", variable("ODBCSYSINI")};
  setenv("ODBCINI", (folder_ / "odbc.ini").c_str(), 1);
  setenv("ODBCSYSINI", folder_.c_str(), 1);
}

void TestServer::dropQuietly(const std::function<void()>& drop) noexcept {
  try {
    drop();
  } catch (const std::exception&) {
    // The server may already be gone.
  }
}

std::string TestServer::oleDbConnectionString(const std::string& user,
                                              const std::string& password) const {
  std::string text = "Provider=SQLOLEDB.1;";
  if (!password.empty()) text += "Password=" + password + ";";
  text += "Persist Security Info=True;;User ID=" + user + ";Initial Catalog=" + database_ +
          ";Data Source=" + dataSourceName_ + ";";
  return text;
}

std::string TestServer::odbcConnectionString() const {
  std::string text = "DSN=" + dataSourceName_ + ";UID=" + adminUser() + ";";
  if (const std::string password = adminPassword(); !password.empty())
    text += "PWD={" + password + "};";
  return text + "DATABASE=" + database_ + ";";
}

std::unique_ptr<TestServer> makeTestServer(const std::string& kind) {
  if (kind == "postgres") return std::make_unique<PgTestDataSource>();
  if (kind == "mariadb") return std::make_unique<MariaTestDataSource>();
  if (kind == "sqlserver") return std::make_unique<SqlServerTestDataSource>();
  throw std::invalid_argument("no test server of kind " + kind);
}

std::string testServerUnavailable(const std::string& kind) {
  return kind == "sqlserver" ? SqlServerTestDataSource::unavailableReason() : std::string();
}

}  // namespace tiermend::testing
