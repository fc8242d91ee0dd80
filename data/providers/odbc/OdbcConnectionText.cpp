// Building the ODBC connection strings: a configured data source or a FreeTDS host, its
// address, port and instance taken from the OLE DB data source, and the login.
#include "data/providers/odbc/OdbcConnectionText.h"

#include "data/value/AsciiText.h"
#include "data/value/QuotedName.h"

namespace tiermend::data::odbc {

namespace {

void appendAttribute(std::string& text, std::string_view key, std::string_view value) {
  text += key;
  text += '=';
  text += odbcAttributeValue(value);
  text += ';';
}

void appendLogin(std::string& text, const LoginDetails& login) {
  if (!login.user.empty()) appendAttribute(text, "UID", login.user);
  if (login.password) appendAttribute(text, "PWD", *login.password);
  if (!login.catalog.empty()) appendAttribute(text, "DATABASE", login.catalog);
}

}  // namespace

ServerAddress parseServerAddress(std::string_view dataSource) {
  std::string_view text = trimWhitespace(dataSource);
  if (startsWithIgnoringCase(text, "tcp:")) text = trimWhitespace(text.substr(4));
  ServerAddress address;
  if (std::size_t comma = text.find(','); comma != std::string_view::npos) {
    address.port = std::string(trimWhitespace(text.substr(comma + 1)));
    text = trimWhitespace(text.substr(0, comma));
  }
  if (std::size_t slash = text.find('\\'); slash != std::string_view::npos) {
    address.instance = std::string(trimWhitespace(text.substr(slash + 1)));
    text = trimWhitespace(text.substr(0, slash));
  }
  address.host = std::string(text);
  if (address.host == "(local)" || address.host == ".") address.host = "localhost";
  return address;
}

std::string serverAddressFault(std::string_view dataSource) {
  std::string_view text = trimWhitespace(dataSource);
  if (text.empty()) return {};
  const bool tcp = startsWithIgnoringCase(text, "tcp:");
  const ServerAddress address = parseServerAddress(text);
  if (address.host.empty())
    return tcp ? "there is no server name after its tcp: prefix" : "it names no server";
  if (text.find('\\') != std::string_view::npos && address.instance.empty()) {
    return "there is no instance name after its backslash";
  }
  if (text.find(',') != std::string_view::npos) {
    const std::string& port = address.port;
    const bool digits = !port.empty() && port.size() <= 5 &&
                        port.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoi(port) < 1 || std::stoi(port) > 65535) {
      return "its port '" + port + "' is no port number from 1 to 65535";
    }
  }
  return {};
}

std::string odbcAttributeValue(std::string_view value) {
  // Braces only where a plain value would be divided wrongly: some drivers (psqlODBC)
  // take braces literally outside the password.
  bool plain = value.find(';') == std::string_view::npos && !value.starts_with('{') &&
               trimWhitespace(value).size() == value.size();
  return plain ? std::string(value) : enclosed(value, "{", "}");
}

std::string dataSourceConnectionString(std::string_view dataSourceName, const LoginDetails& login) {
  std::string text;
  appendAttribute(text, "DSN", dataSourceName);
  appendLogin(text, login);
  return text;
}

std::string freeTdsConnectionString(std::string_view driver, const ServerAddress& server,
                                    const LoginDetails& login) {
  std::string text;
  appendAttribute(text, "DRIVER", driver);
  std::string host = server.host;
  if (!server.instance.empty()) host += "\\" + server.instance;
  appendAttribute(text, "Server", host);
  // A named instance's port is the SQL Server Browser's to tell (FreeTDS asks it on
  // UDP 1434); a default instance listens on 1433, which FreeTDS does not assume.
  if (!server.port.empty())
    appendAttribute(text, "Port", server.port);
  else if (server.instance.empty())
    appendAttribute(text, "Port", kDefaultSqlServerPort);
  appendAttribute(text, "TDS_Version", "7.4");
  appendLogin(text, login);
  appendAttribute(text, "ClientCharset", "UTF-8");
  return text;
}

std::optional<std::string> newestMicrosoftSqlServerDriver(
    const std::vector<std::string>& installedDrivers) {
  for (const char* wanted : kMicrosoftSqlServerDrivers) {
    for (const std::string& installed : installedDrivers) {
      if (equalsIgnoringCase(installed, wanted)) return installed;
    }
  }
  return std::nullopt;
}

std::string microsoftConnectionString(std::string_view driver, const ServerAddress& server,
                                      const LoginDetails& login) {
  std::string text;
  appendAttribute(text, "DRIVER", driver);
  if (server.instance.empty() || !server.port.empty()) {
    const std::string port = server.port.empty() ? kDefaultSqlServerPort : server.port;
    appendAttribute(text, "Server", "tcp:" + server.host + "," + port);
  } else {
    appendAttribute(text, "Server", server.host + "\\" + server.instance);
  }
  appendLogin(text, login);
  if (equalsIgnoringCase(driver, kMicrosoftSqlServerDrivers[0])) {
    appendAttribute(text, "Encrypt", "no");
  }
  return text;
}

std::string serverDescription(const ServerAddress& server) {
  if (!server.instance.empty()) return "'" + server.host + "\\" + server.instance + "'";
  const std::string port = server.port.empty() ? kDefaultSqlServerPort : server.port;
  return "'" + server.host + "' on port " + port;
}

}  // namespace tiermend::data::odbc
