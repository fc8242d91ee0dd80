// Keeping other writers off a database file while it is updated through a copy of it,
// and learning whether another program has it open.
//
// On POSIX systems, through the lock file Access keeps beside an open database
// (<name>.ldb for Jet 3 and Jet 4 files): we take an open-file-description write lock
// (fcntl F_OFD_SETLK) over the whole lock file, creating the file when it is absent. A
// lock another process holds on it, or any record lock another process holds on the
// database file itself (which is how Samba presents the byte-range locks of Access on a
// Windows client), means the database is in use. A lock file that exists but that nobody
// holds a lock on is stale (Access leaves it behind after a crash or when it may not
// delete it, and treats it as not in use when it opens the database next), so it does
// not stop us; one that another user's run left behind and that we may not open for
// writing is removed (while no one holds it), so that it never keeps a later run out.
// A symbolic link in the lock file's place is refused, never followed. We remove the
// lock file on release only when we created it, while still holding the lock; a process
// that opened it in the meantime notices, after taking its lock, that the path no longer
// names the file it locked, and starts over.
//
// On Windows, by holding the database file itself open with a share mode that lets
// other programs read it but not write it: a program that has it open for writing
// (Access) makes our open fail with a sharing violation, and while we hold it no
// program can open it for writing, a second run of ours included.
#pragma once

#include <cstdint>
#include <string>

#include "platform/File.h"

namespace tiermend {

class DatabaseLock {
 public:
  enum class Attempt { Taken, InUse, Failed };

  explicit DatabaseLock(std::string databasePath);
  ~DatabaseLock();
  DatabaseLock(const DatabaseLock&) = delete;
  DatabaseLock& operator=(const DatabaseLock&) = delete;

  // The lock file's path for a database path: its extension replaced by ".ldb".
  static std::string lockFilePathFor(const std::string& databasePath);

  // One attempt, which never waits. InUse: another program holds the database, and
  // text says who, as "another program holds its lock file '…'". Failed: the attempt
  // itself failed, and text is the whole message.
  Attempt tryTake(std::string& text);
  // While the lock is taken: puts replacement in the database's place, keeping other
  // writers off until it is there (on Windows the file is let go of just before, since
  // a file held open cannot be replaced).
  OsError replaceDatabaseWith(const std::string& replacement);
  // Lets go (removing a lock file we created); safe to call twice.
  void release();

 private:
  std::string databasePath_;
  std::string lockFilePath_;
  std::intptr_t handle_ = -1;  // the lock file's descriptor, or the database's HANDLE
  bool created_ = false;
};

}  // namespace tiermend
