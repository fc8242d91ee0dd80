// Bounded lock waits on an ODBC connection. A statement that needs a table another
// program holds locked waits at most the tool's lock wait, then fails; that failure is
// recognised here so that the user is told the table is in use.
#pragma once

#include <sql.h>

#include <string>

namespace tiermend::data::odbc {

// The statement that limits the lock wait on the named database system to `seconds`,
// or empty when the tool knows no such setting for it: PostgreSQL's lock_timeout and
// SQL Server's LOCK_TIMEOUT.
std::string lockWaitStatement(const std::string& dbmsName, int seconds);

// Whether a diagnostic record says that a lock wait ran out: SQLSTATE 55P03 from
// PostgreSQL, native error 1222 from SQL Server.
bool isLockTimeout(const std::string& sqlState, SQLINTEGER nativeError);

}  // namespace tiermend::data::odbc
