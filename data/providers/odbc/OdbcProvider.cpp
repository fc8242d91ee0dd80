// Opening ODBC sessions: choosing between a configured data source, Microsoft's SQL
// Server drivers (on Windows) and the FreeTDS driver, recognising psqlODBC, and
// connecting with the login the string gives.
#include "data/providers/odbc/OdbcProvider.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "data/EngineError.h"
#include "data/LockWait.h"
#include "data/providers/odbc/OdbcConnectionText.h"
#include "data/providers/odbc/OdbcHandles.h"
#include "data/providers/odbc/OdbcSession.h"
#include "data/providers/odbc/SqlServerBrowser.h"
#include "data/value/AsciiText.h"
#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

namespace {

constexpr const char* kFreeTdsDriverName = "FreeTDS";
constexpr const char* kFreeTdsLibraryName = "libtdsodbc";
// psqlODBC reports booleans as characters and a varchar without a length as 255
// characters unless told otherwise; these make it report boolean columns as bits and
// an unbounded varchar at PostgreSQL's largest size, which counts as no limit.
constexpr const char* kPostgresDriverOptions = "BoolsAsChar=0;MaxVarcharSize=10485760;";

// The driver a data source configured in the ODBC configuration (odbc.ini as ODBCINI
// and ODBCSYSINI say) uses, user and system data sources alike; nullopt when no data
// source has this name.
std::optional<std::string> configuredDataSourceDriver(const Environment& environment,
                                                      const std::string& name) {
  if (name.empty()) return std::nullopt;
  SQLCHAR found[SQL_MAX_DSN_LENGTH + 1];
  SQLCHAR driver[512];
  SQLSMALLINT foundLength = 0;
  SQLSMALLINT driverLength = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (SQL_SUCCEEDED(SQLDataSources(environment.get(), direction, found, sizeof found,
                                      &foundLength, driver, sizeof driver, &driverLength))) {
    direction = SQL_FETCH_NEXT;
    if (equalsIgnoringCase(reinterpret_cast<const char*>(found), name))
      return std::string(reinterpret_cast<const char*>(driver));
  }
  return std::nullopt;
}

// The installed drivers' names and their attributes ("Driver=lib.so" and the like).
std::vector<std::pair<std::string, std::string>> installedDrivers(const Environment& environment) {
  std::vector<std::pair<std::string, std::string>> drivers;
  SQLCHAR name[256];
  SQLCHAR attributes[2048];
  SQLSMALLINT nameLength = 0;
  SQLSMALLINT attributesLength = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (SQL_SUCCEEDED(SQLDrivers(environment.get(), direction, name, sizeof name, &nameLength,
                                  attributes, sizeof attributes, &attributesLength))) {
    direction = SQL_FETCH_NEXT;
    // The attributes come as a list of NUL-terminated entries.
    std::string joined(reinterpret_cast<const char*>(attributes),
                       std::min<std::size_t>(attributesLength, sizeof attributes));
    drivers.emplace_back(reinterpret_cast<const char*>(name), joined);
  }
  return drivers;
}

// Whether a data source's driver (a name from odbcinst.ini or a library path) is psqlODBC.
bool isPostgresDriver(const Environment& environment, const std::string& driver) {
  std::string described = driver;
  for (const auto& [name, attributes] : installedDrivers(environment))
    if (equalsIgnoringCase(name, driver)) described += " " + attributes;
  return containsIgnoringCase(described, "psqlodbc") || containsIgnoringCase(described, "postgres");
}

// The FreeTDS driver by its registered (odbcinst.ini) name: "FreeTDS" as Debian's
// tdsodbc package registers it, else any driver registered with the FreeTDS library.
// With none registered the name stays "FreeTDS", and the driver manager says it
// cannot find that driver.
std::string freeTdsDriver(const Environment& environment) {
  const auto drivers = installedDrivers(environment);
  for (const auto& [name, attributes] : drivers)
    if (equalsIgnoringCase(name, kFreeTdsDriverName)) return name;
  for (const auto& [name, attributes] : drivers)
    if (containsIgnoringCase(attributes, kFreeTdsLibraryName)) return name;
  return kFreeTdsDriverName;
}

// The ODBC connection string, and for a server reached through FreeTDS how a failure
// to connect names it (empty for a configured data source, which names itself).
struct ConnectionTarget {
  std::string odbcText;
  std::string server;
};

ConnectionTarget connectionTarget(const ConnectionString& connectionString) {
  LoginDetails login{connectionString.getOr("User ID"), connectionString.get("Password"),
                     connectionString.getOr("Initial Catalog")};
  std::string dataSource(trimWhitespace(connectionString.getOr("Data Source")));
  Environment environment;
  if (auto driver = configuredDataSourceDriver(environment, dataSource)) {
    std::string text = dataSourceConnectionString(dataSource, login);
    if (isPostgresDriver(environment, *driver)) text += kPostgresDriverOptions;
    return {text, {}};
  }
  // Refused before any connection: a name with a part missing would reach some other
  // server (this machine's default instance) instead.
  if (const std::string fault = serverAddressFault(dataSource); !fault.empty()) {
    throw EngineError("The SQL Server name '" + dataSource + "' is malformed: " + fault + ".");
  }
  ServerAddress server = parseServerAddress(dataSource);
  if (server.host.empty()) server.host = "localhost";
  // On Windows the newest of Microsoft's own drivers; where none is installed (Wine),
  // FreeTDS stands in.
  if (kWindowsDriverManager) {
    std::vector<std::string> names;
    for (const auto& [name, attributes] : installedDrivers(environment)) names.push_back(name);
    if (const auto driver = newestMicrosoftSqlServerDriver(names)) {
      return {microsoftConnectionString(*driver, server, login), serverDescription(server)};
    }
  }
  // FreeTDS would ask the instance's Browser itself, for longer than the login timeout:
  // we ask, for a few seconds, and give FreeTDS the port.
  ServerAddress reached = server;
  if (!server.instance.empty() && server.port.empty()) {
    const InstancePort found = lookUpInstancePort(server.host, server.instance);
    if (found.port.empty()) {
      throw EngineError("Could not connect to the SQL Server " + serverDescription(server) +
                        ": the instance could not be looked up (" + found.failure + ").");
    }
    reached.port = found.port;
  }
  return {freeTdsConnectionString(freeTdsDriver(environment), reached, login),
          serverDescription(server)};
}

}  // namespace

namespace {
std::size_t sessionRowsPerBatch = kRowsPerBatch;
}  // namespace

void setRowsPerBatch(std::size_t rows) {
  sessionRowsPerBatch = rows;
}

std::size_t rowsPerBatch() {
  return sessionRowsPerBatch;
}

std::unique_ptr<Session> openSession(const ConnectionString& connectionString) {
  return openSessionWithLockWait(connectionString, kLockWaitSeconds);
}

std::unique_ptr<Session> openSessionWithLockWait(const ConnectionString& connectionString,
                                                 int lockWaitSeconds) {
  const ConnectionTarget target = connectionTarget(connectionString);
  try {
    return std::make_unique<OdbcSession>(target.odbcText, sessionRowsPerBatch, lockWaitSeconds);
  } catch (const EngineError& error) {
    // The driver's words ("Adaptive Server is unavailable or does not exist") do not say
    // which server or port was tried; the user needs both to put it right.
    if (target.server.empty()) throw;
    throw EngineError("Could not connect to the SQL Server " + target.server + ": " + error.what());
  }
}

void registerProvider(ProviderRegistry& registry) {
  registry.add(ServerProvider{{"SQLOLEDB.1", "SQLOLEDB"}, openSession});
}

}  // namespace tiermend::data::odbc
