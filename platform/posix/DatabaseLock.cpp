// The database lock on POSIX systems: an open-file-description lock on the Access lock
// file beside the database, and a look at the record locks on the database itself
// (see DatabaseLock.h).
#include "platform/DatabaseLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// Why the lock file cannot be opened; a symbolic link in its place is never followed,
// since it could make us create or lock some other file.
std::string lockFileOpenFailure(const std::string& path, int error) {
  struct stat named {};
  if (error == ELOOP && lstat(path.c_str(), &named) == 0 && S_ISLNK(named.st_mode)) {
    return "The lock file '" + path +
           "' is a symbolic link; a lock file must be a plain file, so it is not followed. "
           "Remove the link to let the database be updated.";
  }
  return lockFileFailure(path, "open", error);
}

// Whether the kernel lists any lock on the file (its device and inode in /proc/locks).
bool anyLockOn(const struct stat& file) {
  std::ifstream locks("/proc/locks");
  if (!locks) return true;  // cannot tell: taken as held, never removed
  char wanted[64];
  std::snprintf(wanted, sizeof wanted, " %02x:%02x:%llu ", major(file.st_dev), minor(file.st_dev),
                static_cast<unsigned long long>(file.st_ino));
  std::string line;
  while (std::getline(locks, line)) {
    if ((line + " ").find(wanted) != std::string::npos) return true;
  }
  return false;
}

// A lock file this user may not write (left by another user's run, root's say) and that
// no live process holds is stale: it is removed while we hold a read lock on it, which
// keeps anyone from taking the write lock on it meanwhile. A file we may not even read
// is judged by the kernel's list of locks (a holder that locks it between that look and
// the removal would notice on its own check that the path names another file, or none,
// and start over). Held and CannotRemove set text.
enum class StaleLockFile { Removed, Held, CannotRemove };
StaleLockFile removeStaleForeignLockFile(const std::string& path, std::string& text) {
  struct stat named {};
  if (lstat(path.c_str(), &named) != 0) return StaleLockFile::Removed;  // gone already
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  bool held = false;
  if (fd >= 0) {
    struct flock lock = wholeFileLock(F_RDLCK);
    held = fcntl(fd, F_OFD_SETLK, &lock) != 0;
    if (held) text = conflictingHolder(fd);
  } else {
    held = anyLockOn(named);
  }
  if (held) {
    if (fd >= 0) close(fd);
    if (text.empty()) text = "another program";
    text += " holds its lock file '" + path + "'";
    return StaleLockFile::Held;
  }
  const bool removed = unlink(path.c_str()) == 0 || errno == ENOENT;
  const int error = errno;
  if (fd >= 0) close(fd);
  if (!removed) {
    text = "The lock file '" + path +
           "' is left from an earlier run of another user, and cannot be removed: " +
           std::strerror(error) + ".";
    return StaleLockFile::CannotRemove;
  }
  return StaleLockFile::Removed;
}

}  // namespace

DatabaseLock::Attempt DatabaseLock::tryTake(std::string& text) {
  release();
  int fd = -1;
  int error = 0;
  bool removedStale = false;
  // Twice at most: a stale lock file of another user's is removed and ours made.
  for (int attempt = 0; attempt < 2; ++attempt) {
    fd = open(lockFilePath_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
      created_ = true;
      break;
    }
    error = errno;
    if (error != EEXIST) break;
    fd = open(lockFilePath_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd >= 0) break;
    error = errno;
    if (error == ENOENT) {  // removed by its holder just now: try again
      text = "another program holds its lock file '" + lockFilePath_ + "'";
      return Attempt::InUse;
    }
    if (error != EACCES && error != EPERM) break;
    text.clear();
    switch (removeStaleForeignLockFile(lockFilePath_, text)) {
      case StaleLockFile::Removed:
        removedStale = true;
        break;
      case StaleLockFile::Held:
        return Attempt::InUse;
      case StaleLockFile::CannotRemove:
        return Attempt::Failed;
    }
  }
  if (fd < 0 && removedStale && (error == EACCES || error == EPERM)) {
    // Removed twice and made again by another user's run each time: it is in use.
    text = "another program holds its lock file '" + lockFilePath_ + "'";
    return Attempt::InUse;
  }
  if (fd < 0) {
    text = lockFileOpenFailure(lockFilePath_, error);
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
