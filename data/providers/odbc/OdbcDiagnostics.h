// Turns the diagnostic records of an ODBC handle into the message the user sees.
//
// Each record's text loses the bracketed origin prefixes that the driver manager and
// the drivers put in front ("[unixODBC][Driver Manager]", "[FreeTDS][SQL Server]"):
// they name components, not the problem, and the database's own words remain. The
// line psqlODBC adds after the server's message (";\nError while executing the query")
// goes as well: it repeats that a statement failed, not why. The
// records of a failure are joined one per line, without repeats; warnings (SQLSTATE
// class 01) are left out when a real error is present.
#pragma once

#include <string>
#include <string_view>

#include "data/providers/odbc/OdbcDialect.h"
#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

// The message text with its leading "[...]" prefixes removed.
std::string withoutOriginPrefixes(std::string_view message);

// The message without psqlODBC's closing line (";\nError while ...", ";\nNo query has
// been executed with that handle").
std::string withoutDriverTrailer(std::string message);

// The joined diagnostic text of a handle, or empty when it holds no records.
std::string diagnosticText(SQLSMALLINT handleType, SQLHANDLE handle);

// Whether one of the handle's diagnostic records says a lock wait ran out, in the
// words of the dialect's database system.
bool reportsLockTimeout(SQLSMALLINT handleType, SQLHANDLE handle, const Dialect& dialect);

// Throws EngineError with the handle's diagnostics (or a description of the failed
// action when there are none).
[[noreturn]] void throwDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle,
                                   std::string_view action);

// Throws as above unless rc is SQL_SUCCESS or SQL_SUCCESS_WITH_INFO.
void checkResult(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view action);

}  // namespace tiermend::data::odbc
