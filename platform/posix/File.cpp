// Files on POSIX systems: descriptors with pread, pwrite and fsync; the copy by the
// fastest way the kernel offers (a reflink, copy_file_range, sendfile, or plain reads
// and writes); rename for the replacement.
#include "platform/File.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace tiermend {
namespace {

constexpr std::size_t kCopyChunk = 1 << 24;

int fdOf(std::intptr_t handle) {
  return static_cast<int>(handle);
}

FileFacts factsOf(const struct stat& info) {
  FileFacts facts;
  facts.regular = S_ISREG(info.st_mode);
  facts.readOnly = (info.st_mode & 0222) == 0;
  facts.size = static_cast<std::uint64_t>(info.st_size);
  facts.volume = static_cast<std::uint64_t>(info.st_dev);
  facts.index = static_cast<std::uint64_t>(info.st_ino);
  return facts;
}

// These errors mean "this way of copying is not available here", not a failed copy.
bool unsupported(int error) {
  return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP ||
         error == ENOTTY || error == EPERM;
}

// Copies size bytes by repeated calls of one kernel copy (copy_file_range or sendfile),
// each moving at most kCopyChunk bytes; -1 when that copy is unavailable before anything
// was copied, else 0 or the error.
template <class KernelCopy>
int copyInChunks(off_t size, KernelCopy copyChunk) {
  off_t done = 0;
  while (done < size) {
    const ssize_t n = copyChunk();
    if (n < 0) {
      if (errno == EINTR) continue;
      return done == 0 && unsupported(errno) ? -1 : errno;
    }
    if (n == 0) break;
    done += n;
  }
  return 0;
}

int copyWithReadWrite(int from, int to) {
  std::unique_ptr<char[]> buffer(new char[1 << 20]);
  for (;;) {
    const ssize_t n = read(from, buffer.get(), 1 << 20);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    for (ssize_t written = 0; written < n;) {
      const ssize_t w = write(to, buffer.get() + written, static_cast<std::size_t>(n - written));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) return errno;
      written += w;
    }
  }
}

bool rewind(int from, int to) {
  return lseek(from, 0, SEEK_SET) == 0 && lseek(to, 0, SEEK_SET) == 0 && ftruncate(to, 0) == 0;
}

int copyContents(int from, int to) {
  if (ioctl(to, FICLONE, from) == 0) return 0;
  struct stat source {};
  if (fstat(from, &source) != 0 || !rewind(from, to)) return errno;
  int result = copyInChunks(
      source.st_size, [&] { return copy_file_range(from, nullptr, to, nullptr, kCopyChunk, 0); });
  if (result >= 0) return result;
  if (!rewind(from, to)) return errno;
  result = copyInChunks(source.st_size, [&] { return sendfile(to, from, nullptr, kCopyChunk); });
  if (result >= 0) return result;
  if (!rewind(from, to)) return errno;
  return copyWithReadWrite(from, to);
}

}  // namespace

OsError OsError::last() {
  return OsError(errno);
}

bool OsError::notFound() const {
  return code_ == ENOENT || code_ == ENOTDIR;
}

std::string OsError::reason() const {
  return std::strerror(code_);
}

File::File(const std::string& path, Access access) {
  const int flags = (access == Access::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK;
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) {
    error_ = OsError::last();
    return;
  }
  handle_ = fd;
}

File File::createNew(const std::string& path) {
  File file;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    file.error_ = OsError::last();
  } else {
    file.handle_ = fd;
  }
  return file;
}

File File::createUnique(const std::string& folder, const std::string& prefix,
                        std::string& madePath) {
  std::string pattern = joinPath(folder, prefix) + "XXXXXX";
  File file;
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    file.error_ = OsError::last();
  } else {
    file.handle_ = fd;
    madePath = pattern;
  }
  return file;
}

void File::close() {
  if (handle_ != kClosed) ::close(fdOf(handle_));
  handle_ = kClosed;
}

OsError File::facts(FileFacts& facts) const {
  struct stat info {};
  if (::fstat(fdOf(handle_), &info) != 0) return OsError::last();
  facts = factsOf(info);
  return {};
}

OsError File::readAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got) const {
  got = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (got < size) {
    const ssize_t n =
        ::pread(fdOf(handle_), bytes + got, size - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return OsError::last();
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return {};
}

OsError File::writeAt(std::uint64_t offset, const void* buffer, std::size_t size) {
  const auto* bytes = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n =
        ::pwrite(fdOf(handle_), bytes + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return OsError::last();
    if (n == 0) return OsError(EIO);
    done += static_cast<std::size_t>(n);
  }
  return {};
}

OsError File::flush() {
  return ::fsync(fdOf(handle_)) == 0 ? OsError() : OsError::last();
}

OsError File::reserve(std::uint64_t size) {
  // posix_fallocate gives its error as its result, not in errno.
  const int error = ::posix_fallocate(fdOf(handle_), 0, static_cast<off_t>(size));
  return OsError(error);
}

OsError File::copyContentFrom(const File& from) {
  const int error = copyContents(fdOf(from.handle_), fdOf(handle_));
  return OsError(error);
}

OsError File::keepOwnerAndMode(const std::string& ofPath) {
  struct stat original {};
  struct stat made {};
  if (::stat(ofPath.c_str(), &original) != 0 || ::fstat(fdOf(handle_), &made) != 0) {
    return OsError::last();
  }
  if ((made.st_uid != original.st_uid || made.st_gid != original.st_gid) &&
      ::fchown(fdOf(handle_), original.st_uid, original.st_gid) != 0) {
    return OsError::last();
  }
  if (::fchmod(fdOf(handle_), original.st_mode & 07777) != 0) return OsError::last();
  return {};
}

OsError resolvePath(const std::string& path, std::string& resolved) {
  char buffer[PATH_MAX];
  if (!::realpath(path.c_str(), buffer)) return OsError::last();
  resolved = buffer;
  return {};
}

OsError pathFacts(const std::string& path, FileFacts& facts) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return OsError::last();
  facts = factsOf(info);
  return {};
}

OsError mayWriteFile(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? OsError() : OsError::last();
}

OsError mayWriteInFolder(const std::string& folder) {
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? OsError()
                                                                             : OsError::last();
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  return names;
}

// Only a regular file is removed: a name that has become anything else is left alone.
OsError removeFile(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return OsError::last();
  if (!S_ISREG(info.st_mode)) return OsError(EISDIR);
  return ::unlink(path.c_str()) == 0 ? OsError() : OsError::last();
}

OsError replaceFile(const std::string& replacement, const std::string& target) {
  return ::rename(replacement.c_str(), target.c_str()) == 0 ? OsError() : OsError::last();
}

std::string absolutePath(const std::string& path) {
  std::filesystem::path absolute(path);
  std::error_code error;
  if (absolute.is_relative()) {
    const std::filesystem::path base = std::filesystem::current_path(error);
    if (!error) absolute = base / absolute;
  }
  return absolute.lexically_normal().string();
}

bool isFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

std::string currentFolder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::string() : folder.string();
}

OsError flushFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return OsError::last();
  const OsError error = ::fsync(fd) == 0 ? OsError() : OsError::last();
  ::close(fd);
  return error;
}

}  // namespace tiermend
