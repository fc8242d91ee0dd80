// The ODBC API's declarations (sql.h, sqlext.h): unixODBC's on Linux, the system's on
// Windows, where they rest on the base types of windows.h, which comes first.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>
