// Taking and releasing the Access lock file beside a database (see JetLockFile.h).
#include "data/providers/jet/file/JetLockFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "data/EngineError.h"

namespace tiermend::data::jet {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

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

std::string secondsText(std::chrono::milliseconds wait) {
  std::ostringstream text;
  text << static_cast<double>(wait.count()) / 1000.0
       << (wait == std::chrono::seconds(1) ? " second" : " seconds");
  return text.str();
}

[[noreturn]] void failOnLockFile(const std::string& path, const char* what, int error) {
  throw EngineError("Cannot " + std::string(what) + " the lock file '" + path +
                    "': " + std::strerror(error) + ".");
}

}  // namespace

std::string JetLockFile::pathFor(const std::string& databasePath) {
  const auto slash = databasePath.find_last_of('/');
  const auto dot = databasePath.find_last_of('.');
  const bool hasExtension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return (hasExtension ? databasePath.substr(0, dot) : databasePath) + ".ldb";
}

JetLockFile::JetLockFile(const std::string& databasePath, std::chrono::milliseconds lockWait)
    : databasePath_(databasePath), path_(pathFor(databasePath)) {
  const auto deadline = std::chrono::steady_clock::now() + lockWait;
  std::string holder;
  while (!tryTake(holder)) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      throw EngineError("The file '" + databasePath_ + "' is in use by another program: " + holder +
                        "; waited " + secondsText(lockWait) + ".");
    }
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(kPollInterval, deadline - now));
  }
}

JetLockFile::~JetLockFile() {
  release();
}

bool JetLockFile::tryTake(std::string& holder) {
  created_ = false;
  int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd >= 0) {
    created_ = true;
  } else if (errno == EEXIST) {
    fd = open(path_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT) return false;  // removed by its holder just now: try again
  }
  if (fd < 0) failOnLockFile(path_, "open", errno);
  fd_ = FileDescriptor(fd);

  struct stat opened {};
  if (fstat(fd, &opened) != 0) failOnLockFile(path_, "read", errno);
  if (!S_ISREG(opened.st_mode)) {
    fd_.reset();
    throw EngineError("The lock file '" + path_ + "' is not a regular file.");
  }

  struct flock lock = wholeFileLock(F_WRLCK);
  if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    if (errno != EAGAIN && errno != EACCES) failOnLockFile(path_, "lock", errno);
    holder = conflictingHolder(fd);
    if (holder.empty()) holder = "another program";
    holder += " holds its lock file '" + path_ + "'";
    fd_.reset();
    return false;
  }

  // The holder before us may have removed the file after we opened it; a lock on a
  // removed file keeps no one out, so start again on the file the path names now.
  struct stat named {};
  if (stat(path_.c_str(), &named) != 0 || !sameFile(named, opened)) {
    fd_.reset();
    holder = "another program holds its lock file '" + path_ + "'";
    return false;
  }

  // Record locks on the database itself: Samba shows those of Windows clients this way.
  FileDescriptor database(open(databasePath_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (database) {
    holder = conflictingHolder(database.get());
    if (!holder.empty()) {
      holder += " holds a lock on the file itself";
      release();
      return false;
    }
  }
  return true;
}

void JetLockFile::release() {
  if (!fd_) return;
  // Removed while we still hold the lock, so no one can take it on the old file unnoticed.
  if (created_) unlink(path_.c_str());
  fd_.reset();
  created_ = false;
}

}  // namespace tiermend::data::jet
