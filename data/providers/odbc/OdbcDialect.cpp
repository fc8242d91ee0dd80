// The differences between the database systems the provider reaches through ODBC.
#include "data/providers/odbc/OdbcDialect.h"

#include <algorithm>
#include <variant>

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

// SQL Server takes at most 2,100 parameters in one request, and FreeTDS runs a
// prepared statement through sp_prepexec, whose own three parameters (the handle, the
// parameter list and the statement) count among them. Its VALUES list holds at most
// 1,000 rows.
constexpr std::size_t kSqlServerParameters = 2100 - 3;
constexpr std::size_t kSqlServerRowValues = 1000;
// MariaDB allows 65,535 placeholders in a prepared statement. PostgreSQL's protocol
// counts a statement's parameters in 16 bits as well, but libpq, under psqlODBC, drops
// the connection ("lost synchronization with server") when the description of a
// statement's parameters, 4 bytes each after 6 of its own, comes to more than 30,000
// bytes, as it does for any message but a few (PostgreSQL 15's libpq): 7,498 at most.
constexpr std::size_t kMariaDbParameters = 65535;
constexpr std::size_t kPostgresParameters = (30000 - 6) / 4;

// A string literal of T-SQL: N'...' with quotes doubled, so that any table name,
// Chinese ones included, arrives whole.
std::string unicodeLiteral(std::string_view text) {
  return enclosed(text, "N'", "'");
}

// A string literal of MariaDB, where a backslash escapes the character after it
// unless the session's SQL mode says otherwise: quotes and backslashes are doubled. A
// name read wrongly matches no table, which the answer then treats as unknown.
std::string mariaDbLiteral(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\') escaped += c;
    escaped += c;
  }
  return enclosed(escaped, "'", "'");
}

// PostgreSQL: whether inserting into the table fires nothing at the end of the
// statement. Its rows are then checked one at a time as each is inserted, in the order
// sent (constraints, unique indexes, BEFORE ROW triggers), and a multi-row statement
// fails at its first refused row exactly as that row would on its own. Anything else
// that an insert fires (AFTER triggers, among them those that check foreign keys and
// deferrable unique keys, statement triggers, INSTEAD OF triggers, rules) acts at the
// statement's end, so a later row's failure could come first. tgtype's bits: 1 a row
// trigger, 2 before, 4 on insert. The answer is the count of such things; no row for a
// name that is not a plain table.
std::string postgresInsertFiresQuestion(std::string_view table) {
  const std::string name = enclosed(quoteIdentifier(table, "\""), "'", "'");
  return "SELECT (SELECT count(*) FROM pg_trigger t WHERE t.tgrelid = c.oid"
         " AND (t.tgtype & 4) <> 0 AND (t.tgtype & 3) <> 3)"
         " + (SELECT count(*) FROM pg_rewrite r WHERE r.ev_class = c.oid AND r.ev_type = '3')"
         " FROM pg_class c WHERE c.oid = to_regclass(" +
         name + ") AND c.relkind = 'r'";
}

// SQL Server: the enabled triggers that inserting into the table fires (AFTER and
// INSTEAD OF alike). A trigger fires once a statement and sees all of its rows at once,
// so a multi-row statement would fire it once where row-at-a-time posting fires it for
// each row (and an INSTEAD OF trigger could refuse a later row first). The answer is
// their count.
std::string sqlServerInsertTriggersQuestion(std::string_view table) {
  return "SELECT count(*) FROM sys.triggers t JOIN sys.trigger_events e"
         " ON e.object_id = t.object_id WHERE t.parent_id = OBJECT_ID(" +
         unicodeLiteral(table) + ") AND t.is_disabled = 0 AND e.type_desc = N'INSERT'";
}

// MariaDB: the table's storage engine and the session's SQL mode.
std::string mariaDbEngineQuestion(std::string_view table) {
  return "SELECT ENGINE, @@SESSION.sql_mode FROM information_schema.TABLES"
         " WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = " +
         mariaDbLiteral(table);
}

const std::string* textAt(const std::vector<Value>& row, std::size_t index) {
  return index < row.size() ? std::get_if<std::string>(&row[index]) : nullptr;
}

// Whether the answer is the one count 0: nothing fires that would tell a multi-row
// statement from its rows one at a time.
bool answerIsNoneCounted(const std::vector<std::vector<Value>>& answer) {
  if (answer.size() != 1 || answer.front().empty()) return false;
  const auto* count = std::get_if<std::int64_t>(&answer.front().front());
  return count != nullptr && *count == 0;
}

// PostgreSQL: rows go in multi-row statements into a table whose inserts fire nothing
// at the statement's end; elsewhere in arrays, which psqlODBC runs one row after
// another, stopping at the first refused one.
RowsTravel postgresRowsTravel(const std::vector<std::vector<Value>>& answer) {
  return answerIsNoneCounted(answer) ? RowsTravel::MultiRow : RowsTravel::Arrays;
}

// SQL Server: rows go in multi-row statements into a table whose inserts fire no
// trigger; into one that does, and where the server could not say, in arrays, which
// FreeTDS sends one row a request (each firing the triggers as the row would alone).
// Every table takes a refused statement or array back whole, to the savepoint.
RowsTravel sqlServerRowsTravel(const std::vector<std::vector<Value>>& answer) {
  return answerIsNoneCounted(answer) ? RowsTravel::MultiRow : RowsTravel::Arrays;
}

// MariaDB: only InnoDB takes a refused statement back whole, so that its rows can be
// sent again one by one; into any other engine rows go one by one from the start. Out
// of strict mode a multi-row statement stores a null refused by NOT NULL as the type's
// default with a warning, where the same row on its own (or in an array) is refused;
// there rows go in arrays.
RowsTravel mariaDbRowsTravel(const std::vector<std::vector<Value>>& answer) {
  if (answer.size() != 1) return RowsTravel::OneByOne;
  const std::string* engine = textAt(answer.front(), 0);
  const std::string* mode = textAt(answer.front(), 1);
  if (engine == nullptr || !equalsIgnoringCase(*engine, "InnoDB")) return RowsTravel::OneByOne;
  const bool strict = mode != nullptr && (containsIgnoringCase(*mode, "STRICT_TRANS_TABLES") ||
                                          containsIgnoringCase(*mode, "STRICT_ALL_TABLES"));
  return strict ? RowsTravel::MultiRow : RowsTravel::Arrays;
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

std::size_t Dialect::parametersPerStatement() const {
  switch (system_) {
    case DatabaseSystem::SqlServer:
      return kSqlServerParameters;
    case DatabaseSystem::PostgreSql:
      return kPostgresParameters;
    case DatabaseSystem::MariaDb:
      return kMariaDbParameters;
    case DatabaseSystem::Other:
      break;
  }
  // Neither multi-row VALUES lists nor their limits are certain on an unknown system.
  return 0;
}

std::size_t Dialect::rowsPerStatement(std::size_t columns) const {
  if (columns == 0) return 0;
  std::size_t rows = parametersPerStatement() / columns;
  if (system_ == DatabaseSystem::SqlServer) rows = std::min(rows, kSqlServerRowValues);
  return rows;
}

std::string Dialect::rowsTravelQuestion(std::string_view table) const {
  switch (system_) {
    case DatabaseSystem::PostgreSql:
      return postgresInsertFiresQuestion(table);
    case DatabaseSystem::MariaDb:
      return mariaDbEngineQuestion(table);
    case DatabaseSystem::SqlServer:
      return sqlServerInsertTriggersQuestion(table);
    case DatabaseSystem::Other:
      break;
  }
  return {};
}

RowsTravel Dialect::rowsTravelFrom(const std::vector<std::vector<Value>>& answer) const {
  switch (system_) {
    case DatabaseSystem::PostgreSql:
      return postgresRowsTravel(answer);
    case DatabaseSystem::MariaDb:
      return mariaDbRowsTravel(answer);
    case DatabaseSystem::SqlServer:
      return sqlServerRowsTravel(answer);
    case DatabaseSystem::Other:
      break;
  }
  return RowsTravel::Arrays;
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
