// Waiting, bounded, for another program to let go of a database before we write it:
// the platform's DatabaseLock taken for the whole update (on POSIX systems the lock file
// Access keeps beside an open database, <name>.ldb; on Windows the database file held
// against other writers). The database stays locked while this object lives.
#pragma once

#include <chrono>
#include <string>

#include "platform/DatabaseLock.h"

namespace tiermend::data::jet {

class JetLockFile {
 public:
  // The lock file's path for a database path: its extension replaced by ".ldb".
  static std::string pathFor(const std::string& databasePath) {
    return DatabaseLock::lockFilePathFor(databasePath);
  }

  // Takes the lock, waiting up to lockWait for another holder to let go. Throws
  // EngineError when the file stays in use or the lock cannot be taken.
  JetLockFile(const std::string& databasePath, std::chrono::milliseconds lockWait);
  JetLockFile(const JetLockFile&) = delete;
  JetLockFile& operator=(const JetLockFile&) = delete;

  // Puts the new version in the database's place while other writers are kept off.
  OsError replaceDatabaseWith(const std::string& replacement) {
    return lock_.replaceDatabaseWith(replacement);
  }
  // Releases the lock now; safe to call twice.
  void release() { lock_.release(); }

 private:
  std::string databasePath_;
  DatabaseLock lock_;
};

}  // namespace tiermend::data::jet
