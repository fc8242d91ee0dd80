// The lock file Access keeps beside an open database (<name>.ldb for Jet 3 and Jet 4
// files), used here to learn whether another program has the database open and to keep
// two writers of ours off one file.
//
// How "in use" is decided: we take an open-file-description write lock (fcntl
// F_OFD_SETLK) over the whole lock file, creating the file when it is absent. A lock
// another process holds on it, or any record lock another process holds on the database
// file itself (which is how Samba presents the byte-range locks of Access on a Windows
// client), means the database is in use; we poll until lockWait has passed, then fail
// with a message that names the file and, where the kernel tells it, the process.
// A lock file that exists but that nobody holds a lock on is stale (Access leaves it
// behind after a crash or when it may not delete it, and treats it as not in use when it
// opens the database next), so it does not stop us.
//
// We remove the lock file on release only when we created it, while still holding the
// lock. A process that opened it in the meantime notices, after taking its lock, that the
// path no longer names the file it locked, and starts over on a fresh one.
#pragma once

#include <chrono>
#include <string>

#include "data/providers/jet/file/JetFileDescriptor.h"

namespace tiermend::data::jet {

class JetLockFile {
 public:
  // The lock file's path for a database path: its extension replaced by ".ldb".
  static std::string pathFor(const std::string& databasePath);

  // Takes the lock, waiting up to lockWait for another holder to let go. Throws
  // EngineError when the file stays in use or the lock file cannot be opened.
  JetLockFile(const std::string& databasePath, std::chrono::milliseconds lockWait);
  ~JetLockFile();
  JetLockFile(const JetLockFile&) = delete;
  JetLockFile& operator=(const JetLockFile&) = delete;

  const std::string& path() const { return path_; }
  // Releases the lock now (removing the lock file when we created it); safe to call twice.
  void release();

 private:
  // One attempt: true when we hold the lock; otherwise describes the holder in holder.
  bool tryTake(std::string& holder);

  std::string databasePath_;
  std::string path_;
  FileDescriptor fd_;
  bool created_ = false;
};

}  // namespace tiermend::data::jet
