// The lock file's name beside a database, the same on every platform.
#include "platform/DatabaseLock.h"

#include <utility>

namespace tiermend {

std::string DatabaseLock::lockFilePathFor(const std::string& databasePath) {
#ifdef _WIN32
  const auto slash = databasePath.find_last_of("/\\");
#else
  const auto slash = databasePath.find_last_of('/');
#endif
  const auto dot = databasePath.find_last_of('.');
  const bool hasExtension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return (hasExtension ? databasePath.substr(0, dot) : databasePath) + ".ldb";
}

DatabaseLock::DatabaseLock(std::string databasePath)
    : databasePath_(std::move(databasePath)), lockFilePath_(lockFilePathFor(databasePath_)) {}

DatabaseLock::~DatabaseLock() {
  release();
}

}  // namespace tiermend
