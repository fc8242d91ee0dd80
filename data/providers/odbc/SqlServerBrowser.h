// Asking a SQL Server Browser (UDP port 1434) which TCP port a named instance listens on,
// within a few seconds. FreeTDS asks it too, but retries for about 30 seconds whatever
// the login timeout says; asking it ourselves keeps a run that names an instance on a
// host whose Browser does not answer within the 15-second login timeout, and lets the
// failure say what went wrong.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace tiermend::data::odbc {

// The Browser's port, and how long it is given to answer.
inline constexpr int kSqlServerBrowserPort = 1434;
inline constexpr std::chrono::seconds kSqlServerBrowserWait{5};

// The TCP port an instance listens on, or why it could not be looked up (without a
// closing full stop).
struct InstancePort {
  std::string port;     // empty when the lookup failed
  std::string failure;  // "the SQL Server Browser on 'dbhost' did not answer within 5 seconds"
};

// Asks the Browser on host for instance's port (the Browser's port and the wait can be
// other than the standard ones for tests).
InstancePort lookUpInstancePort(const std::string& host, const std::string& instance,
                                int browserPort = kSqlServerBrowserPort,
                                std::chrono::milliseconds wait = kSqlServerBrowserWait);

// The question for one instance (CLNT_UCAST_INST: 0x04, the name, a NUL byte).
std::string instanceQuestion(std::string_view instance);
// The TCP port in the Browser's answer (SVR_RESP: 0x05, a two-byte little-endian length,
// then "ServerName;…;InstanceName;…;…;tcp;1433;;"), or "" when it gives none for instance.
std::string tcpPortInAnswer(std::string_view answer, std::string_view instance);

}  // namespace tiermend::data::odbc
