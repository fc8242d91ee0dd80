// The ODBC connection strings the provider hands to SQLDriverConnect, built from the
// entries of an OLE DB connection string: one for a configured data source, one for a
// SQL Server host reached through the FreeTDS driver.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tiermend::data::odbc {

// A SQL Server address as OLE DB writes it: "host", "host,port", "host\instance"
// (optionally with a "tcp:" prefix). "(local)" and "." name this machine.
struct ServerAddress {
  std::string host;
  std::string port;      // empty: the driver's default
  std::string instance;  // empty: the default instance
};

ServerAddress parseServerAddress(std::string_view dataSource);

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

// The server as a failure names it: "dbhost" on port 1433, "dbhost\SQLEXPRESS".
std::string serverDescription(const ServerAddress& server);

}  // namespace tiermend::data::odbc
