// The ODBC API's declarations (sql.h, sqlext.h): unixODBC's on Linux, the system's on
// Windows, where they rest on the base types of windows.h, which comes first; and which
// driver manager it is.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>

namespace tiermend {

// Whether the driver manager is Windows's own, beside which Microsoft's SQL Server
// drivers are installed (one of them with every Windows).
#ifdef _WIN32
inline constexpr bool kWindowsDriverManager = true;
#else
inline constexpr bool kWindowsDriverManager = false;
#endif

}  // namespace tiermend
