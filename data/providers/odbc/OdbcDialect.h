// Which database system an ODBC session talks to, and what the provider must say or
// expect differently on each: the statement that bounds lock waits, the savepoint
// statements, the question that finds the columns the server fills in itself, the
// errors that mean a lock wait ran out, and how the driver reports long text and
// failed parameter arrays. The system is decided once, from the name the driver
// reports when the session opens; nothing else in the provider compares that name.
#pragma once

#include <string>
#include <string_view>

#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

enum class DatabaseSystem {
  SqlServer,   // Microsoft SQL Server and servers that speak its T-SQL over TDS
  PostgreSql,  // PostgreSQL through psqlODBC
  MariaDb,     // MariaDB, and MySQL, which shares its settings and error numbers
  Other,       // anything else: standard SQL only, no settings of its own
};

// The system a driver's SQL_DBMS_NAME names: "Microsoft SQL Server" (FreeTDS and
// Microsoft's drivers; FreeTDS reports "SQL Server" for older servers), "PostgreSQL",
// "MariaDB" or "MySQL".
DatabaseSystem databaseSystemNamed(std::string_view dbmsName);

// The statements that mark a point inside a transaction, go back to it and let it go.
struct SavepointStatements {
  std::string set;
  std::string rollbackTo;
  std::string release;  // empty when the database has no such statement
};

// One diagnostic record of a failed call, as far as the dialect needs it.
struct DiagnosticFacts {
  std::string sqlState;
  SQLINTEGER nativeError = 0;
  std::string message;
};

class Dialect {
 public:
  explicit Dialect(DatabaseSystem system = DatabaseSystem::Other) : system_(system) {}

  DatabaseSystem system() const { return system_; }

  // The statement that limits every lock wait of the session to `seconds`, or empty
  // when the system has no such setting the tool knows.
  std::string lockWaitStatement(int seconds) const;

  // SQL Server names them SAVE TRANSACTION and ROLLBACK TRANSACTION and has no
  // release; every other database takes the standard SAVEPOINT forms.
  SavepointStatements savepoints(std::string_view name) const;

  // A query whose rows name the columns of `table` that the server fills in itself,
  // for systems whose drivers do not flag them reliably; empty where the driver's own
  // column flags are trusted. Each row: the column's name, then 1 for an identity
  // column (an auto-number) or 0 for a computed or rowversion column.
  std::string serverFilledColumnsQuery(std::string_view table) const;

  // Whether a diagnostic record says that a lock wait ran out.
  bool isLockTimeout(const DiagnosticFacts& record) const;

  // The driver reports the system's ordinary unbounded strings as long text.
  bool longTextIsOrdinaryText() const { return system_ == DatabaseSystem::PostgreSql; }

  // The system stops a parameter array at its first refused row and reports that row.
  bool arrayStopsAtFirstRefusal() const { return system_ == DatabaseSystem::PostgreSql; }

 private:
  DatabaseSystem system_;
};

}  // namespace tiermend::data::odbc
