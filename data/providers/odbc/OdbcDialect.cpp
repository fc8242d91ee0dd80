// The differences between the database systems the provider reaches through ODBC.
#include "data/providers/odbc/OdbcDialect.h"

#include "data/value/AsciiText.h"
#include "data/value/QuotedName.h"

namespace tiermend::data::odbc {
namespace {

// SQL Server: "Lock request time out period exceeded".
constexpr SQLINTEGER kSqlServerLockTimeout = 1222;
// MariaDB and MySQL: "Lock wait timeout exceeded; try restarting transaction", given
// both for a row lock (innodb_lock_wait_timeout) and for a table held by LOCK TABLES
// or by a change of its definition (lock_wait_timeout).
constexpr SQLINTEGER kMariaDbLockWaitTimeout = 1205;
// PostgreSQL's SQLSTATE for lock_not_available, which lock_timeout raises.
constexpr std::string_view kPostgresLockNotAvailable = "55P03";

// A string literal of T-SQL: N'...' with quotes doubled, so that any table name,
// Chinese ones included, arrives whole.
std::string unicodeLiteral(std::string_view text) {
  return enclosed(text, "N'", "'");
}

}  // namespace

DatabaseSystem databaseSystemNamed(std::string_view dbmsName) {
  if (containsIgnoringCase(dbmsName, "SQL Server")) return DatabaseSystem::SqlServer;
  if (containsIgnoringCase(dbmsName, "PostgreSQL")) return DatabaseSystem::PostgreSql;
  if (containsIgnoringCase(dbmsName, "MariaDB") || containsIgnoringCase(dbmsName, "MySQL"))
    return DatabaseSystem::MariaDb;
  return DatabaseSystem::Other;
}

std::string Dialect::lockWaitStatement(int seconds) const {
  const std::string text = std::to_string(seconds);
  switch (system_) {
    case DatabaseSystem::SqlServer:
      // Counted in milliseconds.
      return "SET LOCK_TIMEOUT " + text + "000";
    case DatabaseSystem::PostgreSql:
      return "SET lock_timeout = '" + text + "s'";
    case DatabaseSystem::MariaDb:
      // Row locks wait innodb_lock_wait_timeout (50 s by default); a table held by
      // LOCK TABLES or a definition change waits lock_wait_timeout (a year by default).
      return "SET SESSION innodb_lock_wait_timeout = " + text + ", lock_wait_timeout = " + text;
    case DatabaseSystem::Other:
      break;
  }
  return {};
}

SavepointStatements Dialect::savepoints(std::string_view name) const {
  const std::string point(name);
  if (system_ == DatabaseSystem::SqlServer)
    return {"SAVE TRANSACTION " + point, "ROLLBACK TRANSACTION " + point, ""};
  return {"SAVEPOINT " + point, "ROLLBACK TO SAVEPOINT " + point, "RELEASE SAVEPOINT " + point};
}

std::string Dialect::serverFilledColumnsQuery(std::string_view table) const {
  if (system_ != DatabaseSystem::SqlServer) return {};
  // FreeTDS does not report identity columns as auto-unique, and no driver flags
  // computed or rowversion (type 189) columns as read-only.
  return "SELECT name, CAST(is_identity AS int) FROM sys.columns WHERE object_id = OBJECT_ID(" +
         unicodeLiteral(table) +
         ") AND (is_identity = 1 OR is_computed = 1 OR system_type_id = 189)";
}

bool Dialect::isLockTimeout(const DiagnosticFacts& record) const {
  switch (system_) {
    case DatabaseSystem::SqlServer:
      // Servers that speak T-SQL without being SQL Server may give their own number
      // and say it in other words ("canceling statement due to lock timeout").
      return record.nativeError == kSqlServerLockTimeout ||
             containsIgnoringCase(record.message, "lock timeout") ||
             containsIgnoringCase(record.message, "lock request time out");
    case DatabaseSystem::PostgreSql:
      return record.sqlState == kPostgresLockNotAvailable;
    case DatabaseSystem::MariaDb:
      return record.nativeError == kMariaDbLockWaitTimeout;
    case DatabaseSystem::Other:
      break;
  }
  // An unknown system's native numbers and SQLSTATEs mean nothing certain here.
  return false;
}

}  // namespace tiermend::data::odbc
