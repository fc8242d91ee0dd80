// A fresh MariaDB database on the private test server, reachable as an ODBC data source
// through MariaDB Connector/ODBC (its Unicode driver).
//
// The server is the one scripts/mariadb-test-server runs in
// /tmp/tiermend-mariatest-<hash of the build folder>; CTest starts it through the fixture
// "mariadb" (tests register with tiermend_server_test). TIERMEND_MARIATEST_DIR in the
// environment names another server folder. The database is dropped, the ini files
// removed and ODBCINI/ODBCSYSINI restored on destruction; one instance (of this or
// PgTestDataSource) at a time per process, as they set process-wide variables.
//
// The driver is the one registered as "MariaDB Unicode" (odbcinst -q -d); its entry is
// copied into this data source's odbcinst.ini, under the same name.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/TestServer.h"

namespace tiermend::testing {

class MariaTestDataSource : public TestServer {
 public:
  // Creates the database and the data source; throws std::runtime_error when the
  // server is not running or the driver is not registered.
  MariaTestDataSource();
  ~MariaTestDataSource() override;
  MariaTestDataSource(const MariaTestDataSource&) = delete;
  MariaTestDataSource& operator=(const MariaTestDataSource&) = delete;

  std::string kind() const override { return "mariadb"; }
  const std::string& dataSourceName() const override { return dataSourceName_; }
  const std::string& database() const override { return database_; }
  std::string adminUser() const override { return "root"; }
  std::string oleDbConnectionString(const std::string& user,
                                    const std::string& password = "") const override;
  using TestServer::oleDbConnectionString;
  std::string sql(const std::string& statements) const override;
  std::string checkViolationWords() const override { return "CONSTRAINT"; }
  std::string autoIncrementInteger() const override { return "integer AUTO_INCREMENT UNIQUE"; }

  // Runs SQL without a default database (for creating and dropping databases).
  static std::string sqlAdmin(const std::string& statements);
  // The server's socket file.
  static std::filesystem::path socket();

 private:
  void writeIniFiles() const;

  std::string database_;
  std::string dataSourceName_;
  std::filesystem::path folder_;
  std::string savedOdbcIni_, savedOdbcSysIni_;
  bool hadOdbcIni_ = false, hadOdbcSysIni_ = false;
};

}  // namespace tiermend::testing
