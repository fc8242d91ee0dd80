// A fresh database on one of the private test servers (PostgreSQL or MariaDB), reached
// as an ODBC data source, so that tests can run the same cases against both.
#pragma once

#include <memory>
#include <string>

namespace tiermend::testing {

class TestServer {
 public:
  virtual ~TestServer() = default;
  // "postgres" or "mariadb", for test names.
  virtual std::string kind() const = 0;
  virtual const std::string& dataSourceName() const = 0;
  virtual const std::string& database() const = 0;
  // The user the server always knows.
  virtual std::string adminUser() const = 0;
  // The connection string the tool builds for a SQL Server link naming this data
  // source (see PgTestDataSource::oleDbConnectionString).
  virtual std::string oleDbConnectionString(const std::string& user,
                                            const std::string& password = "") const = 0;
  std::string oleDbConnectionString() const { return oleDbConnectionString(adminUser()); }
  // Runs SQL in this database with the server's own client, stopping at the first error.
  // Returns the rows, one per line, fields joined by "|", no headers.
  virtual std::string sql(const std::string& statements) const = 0;
  // Words of the message the server gives for a row that breaks a CHECK constraint.
  virtual std::string checkViolationWords() const = 0;
  // The column type of an integer that the server numbers itself.
  virtual std::string autoIncrementInteger() const = 0;
};

// A new database (and data source) of that kind: "postgres" or "mariadb".
std::unique_ptr<TestServer> makeTestServer(const std::string& kind);

}  // namespace tiermend::testing
