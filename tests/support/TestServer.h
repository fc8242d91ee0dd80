// A fresh database on one of the private test servers (PostgreSQL or MariaDB), or on a
// SQL Server the environment names, reached as an ODBC data source, so that tests can
// run the same cases against each.
//
// What the servers share lives here: the names of the database and the data source,
// the private odbcinst.ini and odbc.ini that ODBCSYSINI and ODBCINI point to while the
// object lives, and the connection string the tool builds. Each server's class creates
// and drops its database and writes its own ini entries, and says how its SQL differs
// where the tests' statements need it to. Destruction removes the ini
// files and restores ODBCINI and ODBCSYSINI. Keep one instance alive at a time per
// process (they set process-wide environment variables); instances one after another in
// one process work.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tiermend::testing {

class TestServer {
 public:
  virtual ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  // "postgres", "mariadb" or "sqlserver", for test names.
  virtual std::string kind() const = 0;
  // The ODBC data source name written to odbc.ini.
  const std::string& dataSourceName() const { return dataSourceName_; }
  // The database's name on the server.
  const std::string& database() const { return database_; }
  // The user the server always knows, and that user's password (empty for none).
  virtual std::string adminUser() const = 0;
  virtual std::string adminPassword() const { return {}; }
  // The connection string the tool builds for a SQL Server link naming this data
  // source: "Provider=SQLOLEDB.1;[Password=p;]Persist Security Info=True;;User ID=u;
  // Initial Catalog=<database>;Data Source=<dsn>;".
  std::string oleDbConnectionString(const std::string& user,
                                    const std::string& password = "") const;
  std::string oleDbConnectionString() const {
    return oleDbConnectionString(adminUser(), adminPassword());
  }
  // An ODBC connection string to this data source and database as the admin user.
  std::string odbcConnectionString() const;
  // Runs SQL in this database with the server's own client, stopping at the first error.
  // Returns the rows, one per line, fields joined by "|", no headers.
  virtual std::string sql(const std::string& statements) const = 0;
  // Words of the message the server gives for a row that breaks a CHECK constraint.
  virtual std::string checkViolationWords() const = 0;
  // The column type of an integer that the server numbers itself.
  virtual std::string autoIncrementInteger() const = 0;
  // The statement that adds a column ("name type") to a table.
  virtual std::string addColumn(const std::string& table, const std::string& column) const {
    return "ALTER TABLE " + table + " ADD COLUMN " + column;
  }
  // A column type for text of up to `length` characters, Chinese included.
  virtual std::string unicodeVarchar(int length) const {
    return "varchar(" + std::to_string(length) + ")";
  }
  // The file in testdata that creates the four bracket tables on this server.
  virtual std::string bracketTablesSchema() const { return "bracket-tables-postgres.sql"; }

 protected:
  // Names a new database "tiermend_<n>" and data source "<dataSourcePrefix><n>", with n
  // unique to this process and instance.
  explicit TestServer(const std::string& dataSourcePrefix);
  // Writes the two ini files into a new temporary folder and points ODBCSYSINI and
  // ODBCINI at them.
  void installDataSource(const std::string& odbcinstIni, const std::string& odbcIni);
  // Runs the drop of the database on the way out; a server already gone is no failure,
  // as nothing else depends on the drop.
  static void dropQuietly(const std::function<void()>& drop) noexcept;

 private:
  // An environment variable's value from before the data source was installed.
  struct SavedVariable {
    const char* name;
    std::optional<std::string> value;
    void restore() const;
  };

  std::string database_;
  std::string dataSourceName_;
  std::filesystem::path folder_;
  std::optional<SavedVariable> odbcIni_, odbcSysIni_;
};

// A new database (and data source) of that kind: "postgres", "mariadb" or "sqlserver".
std::unique_ptr<TestServer> makeTestServer(const std::string& kind);
// Why a server of that kind cannot be had here, or empty when it can: the private
// servers always can (their fixtures start them); a SQL Server only when the environment
// names one (see SqlServerTestDataSource.h). Tests skip with the reason.
std::string testServerUnavailable(const std::string& kind);

}  // namespace tiermend::testing
