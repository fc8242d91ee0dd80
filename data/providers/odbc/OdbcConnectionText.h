// The ODBC connection strings the provider hands to SQLDriverConnect, built from the
// entries of an OLE DB connection string: one for a configured data source, one for a
// SQL Server host reached through the FreeTDS driver.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tiermend::data::odbc {

// A SQL Server address as OLE DB writes it: "host", "host,port", "host\instance"
// (optionally with a "tcp:" prefix). "(local)" and "." name this machine.
struct ServerAddress {
  std::string host;
  std::string port;      // empty: the driver's default
  std::string instance;  // empty: the default instance
};

ServerAddress parseServerAddress(std::string_view dataSource);

// Why a SQL Server name cannot be a server's address, or "" when it can: a "tcp:", "\"
// or "," with nothing on one side of it (an empty name means this machine's default
// instance, as for OLE DB), or a port that is no number from 1 to 65535.
std::string serverAddressFault(std::string_view dataSource);

// The port a default instance of SQL Server listens on.
inline constexpr const char* kDefaultSqlServerPort = "1433";

// What the OLE DB string says about logging in.
struct LoginDetails {
  std::string user;                     // "User ID"; empty: not given
  std::optional<std::string> password;  // "Password"; absent: not given
  std::string catalog;                  // "Initial Catalog"; empty: the default database
};

// A value as an ODBC connection string attribute: enclosed in braces (with "}" doubled)
// when it holds ";", starts with "{" or has blanks at either end.
std::string odbcAttributeValue(std::string_view value);

// DSN=...;UID=...;PWD=...;DATABASE=... for a configured data source; entries that the
// OLE DB string leaves out are left out, so the data source's own settings apply.
std::string dataSourceConnectionString(std::string_view dataSourceName, const LoginDetails& login);

// DRIVER=...;Server=...;Port=...;TDS_Version=7.4;UID=...;PWD=...;DATABASE=...;
// ClientCharset=UTF-8 for the FreeTDS driver, named by its odbcinst.ini name or its
// library path. The port is the one given, else 1433 for a default instance, else (a
// named instance) none. TDS 7.4 is named rather than left to FreeTDS's automatic
// choice: while it guesses the version, FreeTDS ignores the login timeout, so a server
// that accepts the connection and never answers would hold the tool for good. SQL
// Server answers a 7.4 login in the version it speaks, older ones included.
std::string freeTdsConnectionString(std::string_view driver, const ServerAddress& server,
                                    const LoginDetails& login);

// Microsoft's ODBC drivers for SQL Server that a Windows machine may have, newest first;
// the last one comes with every Windows.
inline constexpr const char* kMicrosoftSqlServerDrivers[] = {
    "ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server",
    "SQL Server Native Client 11.0", "SQL Server"};

// The newest of Microsoft's SQL Server drivers among the installed drivers' names
// (compared without regard to case); nullopt when none is installed.
std::optional<std::string> newestMicrosoftSqlServerDriver(
    const std::vector<std::string>& installedDrivers);

// DRIVER=...;Server=...;UID=...;PWD=...;DATABASE=...; for one of Microsoft's drivers. A
// default instance, or any instance with a port given, is reached over TCP at its port
// ("tcp:host,1433"); a named instance without a port by its name, whose port the driver
// asks the SQL Server Browser for. Driver 18 encrypts by default and refuses a server's
// self-signed certificate, which most installed SQL Servers have: it is asked not to,
// as the OLE DB provider these strings come from never did.
std::string microsoftConnectionString(std::string_view driver, const ServerAddress& server,
                                      const LoginDetails& login);

// The server as a failure names it: "dbhost" on port 1433, "dbhost\SQLEXPRESS".
std::string serverDescription(const ServerAddress& server);

}  // namespace tiermend::data::odbc
