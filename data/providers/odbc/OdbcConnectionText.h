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

// DRIVER=...;Server=...;Port=...;UID=...;PWD=...;DATABASE=...;ClientCharset=UTF-8 for
// the FreeTDS driver, named by its odbcinst.ini name or its library path. The TDS
// version is left to the driver's automatic choice.
std::string freeTdsConnectionString(std::string_view driver, const ServerAddress& server,
                                    const LoginDetails& login);

}  // namespace tiermend::data::odbc
