// The database lock on POSIX systems: an open-file-description lock on the Access lock
// file beside the database, and a look at the record locks on the database itself
// (see DatabaseLock.h).
#include "platform/DatabaseLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace tiermend {
namespace {

struct flock wholeFileLock(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // to the end of the file, however long it grows
  return lock;
}

// "process 123 (name)" for a record-lock holder the kernel names; open-file-description
// locks carry no process, so for them only "another program".
std::string describeHolder(pid_t pid) {
  if (pid <= 0) return "another program";
  std::string name;
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::getline(comm, name);
  std::string text = "process " + std::to_string(pid);
  if (!name.empty()) text += " (" + name + ")";
  return text;
}

// The holder of a lock on fd that conflicts with a write lock of ours, or "" when none.
std::string conflictingHolder(int fd) {
  struct flock probe = wholeFileLock(F_WRLCK);
  if (fcntl(fd, F_OFD_GETLK, &probe) != 0 || probe.l_type == F_UNLCK) return {};
  return describeHolder(probe.l_pid);
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string lockFileFailure(const std::string& path, const char* what, int error) {
  return "Cannot " + std::string(what) + " the lock file '" + path + "': " + std::strerror(error) +
         ".";
}

}  // namespace

DatabaseLock::Attempt DatabaseLock::tryTake(std::string& text) {
  release();
  int fd = open(lockFilePath_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd >= 0) {
    created_ = true;
  } else if (errno == EEXIST) {
    fd = open(lockFilePath_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT) {  // removed by its holder just now: try again
      text = "another program holds its lock file '" + lockFilePath_ + "'";
      return Attempt::InUse;
    }
  }
  if (fd < 0) {
    text = lockFileFailure(lockFilePath_, "open", errno);
    return Attempt::Failed;
  }
  handle_ = fd;

  struct stat opened {};
  if (fstat(fd, &opened) != 0) {
    text = lockFileFailure(lockFilePath_, "read", errno);
    release();
    return Attempt::Failed;
  }
  if (!S_ISREG(opened.st_mode)) {
    text = "The lock file '" + lockFilePath_ + "' is not a regular file.";
    created_ = false;
    release();
    return Attempt::Failed;
  }

  struct flock lock = wholeFileLock(F_WRLCK);
  if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    const int error = errno;
    if (error != EAGAIN && error != EACCES) {
      text = lockFileFailure(lockFilePath_, "lock", error);
      created_ = false;
      release();
      return Attempt::Failed;
    }
    text = conflictingHolder(fd);
    if (text.empty()) text = "another program";
    text += " holds its lock file '" + lockFilePath_ + "'";
    created_ = false;
    release();
    return Attempt::InUse;
  }

  // The holder before us may have removed the file after we opened it; a lock on a
  // removed file keeps no one out, so start again on the file the path names now.
  struct stat named {};
  if (stat(lockFilePath_.c_str(), &named) != 0 || !sameFile(named, opened)) {
    created_ = false;
    release();
    text = "another program holds its lock file '" + lockFilePath_ + "'";
    return Attempt::InUse;
  }

  // Record locks on the database itself: Samba shows those of Windows clients this way.
  const int database = open(databasePath_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (database >= 0) {
    std::string holder = conflictingHolder(database);
    close(database);
    if (!holder.empty()) {
      text = holder + " holds a lock on the file itself";
      release();
      return Attempt::InUse;
    }
  }
  return Attempt::Taken;
}

OsError DatabaseLock::replaceDatabaseWith(const std::string& replacement) {
  return replaceFile(replacement, databasePath_);
}

void DatabaseLock::release() {
  if (handle_ < 0) return;
  // Removed while we still hold the lock, so no one can take it on the old file unnoticed.
  if (created_) unlink(lockFilePath_.c_str());
  close(static_cast<int>(handle_));
  handle_ = -1;
  created_ = false;
}

}  // namespace tiermend
