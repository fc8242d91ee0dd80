// The ODBC provider: sessions through unixODBC, on a data source configured in
// odbc.ini or, for a SQL Server host, through the FreeTDS driver.
#pragma once

#include <cstddef>
#include <memory>

#include "data/ConnectionString.h"
#include "data/Provider.h"
#include "data/ProviderRegistry.h"

namespace tiermend::data::odbc {

// Connects as the connection string says: "Data Source" names a configured data
// source (used with "User ID", "Password" and "Initial Catalog"), or else a SQL
// Server host ("host", "host,port" or "host\instance") reached through FreeTDS.
std::unique_ptr<Session> openSession(const ConnectionString& connectionString);

// The same, with a statement waiting at most lockWaitSeconds for a locked table
// instead of the tool's usual wait.
std::unique_ptr<Session> openSessionWithLockWait(const ConnectionString& connectionString,
                                                 int lockWaitSeconds);

// Serves the SQL Server provider names, SQLOLEDB and SQLOLEDB.1.
void registerProvider(ProviderRegistry& registry);

// The most rows sent together (in one multi-row statement or parameter array) for the
// sessions opened from now on. The tool never changes it (kRowsPerBatch); benchmarks
// and tests do, to weigh or reach other sizes.
void setRowsPerBatch(std::size_t rows);
std::size_t rowsPerBatch();

}  // namespace tiermend::data::odbc
