// Which database system an ODBC session talks to, and what the provider must say or
// expect differently on each: the statement that bounds lock waits, the savepoint
// statements, the question that finds the columns the server fills in itself, the
// errors that mean a lock wait ran out, how the driver reports long text, and how rows
// held back inside a transaction may travel: in multi-row statements as large as the
// system's parameter limit allows, in parameter arrays, or one by one. The system is
// decided once, from the name the driver reports when the session opens; nothing else
// in the provider compares that name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "data/Value.h"
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

// How the rows held back for one insert travel to the server together.
enum class RowsTravel {
  // Each row in its own execution: the server could not take a refused batch back
  // whole, or would take a batch differently from the same rows one at a time.
  OneByOne,
  // The one-row insert run once over a parameter array.
  Arrays,
  // INSERT ... VALUES (...), (...), ...: many rows in one statement.
  MultiRow,
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

  // The most parameters one statement may carry (its values), or 0 where rows are
  // not sent in multi-row statements.
  std::size_t parametersPerStatement() const;
  // The rows of `columns` values each that one multi-row statement carries: as many as
  // the parameters allow, and on SQL Server no more than its VALUES list takes. 0 where
  // multi-row statements are not used.
  std::size_t rowsPerStatement(std::size_t columns) const;

  // A query whose answer (see rowsTravelFrom) tells how the rows of one insert may
  // travel into `table` together, or empty where that is the same for every table.
  std::string rowsTravelQuestion(std::string_view table) const;
  // How rows travel into a table, from the rows the question answered (none when it
  // could not be asked or named no table).
  RowsTravel rowsTravelFrom(const std::vector<std::vector<Value>>& answer) const;

  // The system checks a batch's rows in the order sent and stops at the first refused
  // one, which is then the batch's failure, in the words (and with the numbers drawn
  // before it) of that row on its own. Elsewhere a refused batch is taken back to a
  // savepoint and its rows are sent again one by one to find that row.
  bool refusedBatchNamesItsRow() const { return system_ == DatabaseSystem::PostgreSql; }

 private:
  DatabaseSystem system_;
};

}  // namespace tiermend::data::odbc
