// A fresh MariaDB database on the private test server, reachable as an ODBC data source
// through MariaDB Connector/ODBC (its Unicode driver).
//
// The server is the one scripts/mariadb-test-server runs in
// /tmp/tiermend-mariatest-<hash of the build folder>; CTest starts it through the fixture
// "mariadb" (tests register with tiermend_test(... FIXTURE servers ...)). TIERMEND_MARIATEST_DIR in
// the environment names another server folder. Destruction drops the database (see TestServer for
// the data source's life).
//
// The driver is the one registered as "MariaDB Unicode" (odbcinst -q -d); its entry is
// copied into this data source's odbcinst.ini, under the same name.
#pragma once

#include <string>

#include "tests/support/TestServer.h"

namespace tiermend::testing {

class MariaTestDataSource : public TestServer {
 public:
  // Creates the database and the data source; throws std::runtime_error when the
  // server is not running or the driver is not registered.
  MariaTestDataSource();
  ~MariaTestDataSource() override;

  std::string kind() const override { return "mariadb"; }
  std::string adminUser() const override { return "root"; }
  std::string sql(const std::string& statements) const override;
  std::string checkViolationWords() const override { return "CONSTRAINT"; }
  std::string autoIncrementInteger() const override { return "integer AUTO_INCREMENT UNIQUE"; }
};

}  // namespace tiermend::testing
