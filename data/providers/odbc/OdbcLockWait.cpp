// The lock-wait settings and the lock-timeout errors of the database systems the tool
// reaches through ODBC.
#include "data/providers/odbc/OdbcLockWait.h"

namespace tiermend::data::odbc {
namespace {

constexpr SQLINTEGER kSqlServerLockTimeout = 1222;  // "Lock request time out period exceeded"

}  // namespace

std::string lockWaitStatement(const std::string& dbmsName, int seconds) {
  const std::string text = std::to_string(seconds);
  if (dbmsName == "PostgreSQL") return "SET lock_timeout = '" + text + "s'";
  // FreeTDS reports "Microsoft SQL Server"; the setting counts milliseconds.
  if (dbmsName.find("SQL Server") != std::string::npos) return "SET LOCK_TIMEOUT " + text + "000";
  return {};
}

bool isLockTimeout(const std::string& sqlState, SQLINTEGER nativeError) {
  // psqlODBC gives the server's SQLSTATE; its native numbers are its own and small.
  return sqlState == "55P03" || nativeError == kSqlServerLockTimeout;
}

}  // namespace tiermend::data::odbc
