// POSIX open/read/close of regular files, with errno mapped to Windows error codes.
#include "platform/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Exceptions.h"

namespace tiermend {
namespace {

constexpr int kAccessDenied = 5;  // ERROR_ACCESS_DENIED

}  // namespace

int windowsErrorFromErrno(int errnoValue) {
  switch (errnoValue) {
    case ENOENT:
      return 2;  // ERROR_FILE_NOT_FOUND
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
      return 3;  // ERROR_PATH_NOT_FOUND
    case EMFILE:
    case ENFILE:
      return 4;  // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM:
    case EISDIR:
      return 5;  // ERROR_ACCESS_DENIED
    // EIO's own number is 5, which would read as "File access denied".
    case EIO:
      return 1117;  // ERROR_IO_DEVICE
    default:
      return errnoValue;
  }
}

// Only regular files are read. The open does not wait (a pipe with no writer would
// otherwise block it for good), and what it opened is checked before anything is read:
// a pipe, a device such as /dev/zero or a socket is refused at once as Windows refuses
// a folder, with access denied. Opening a socket fails with ENXIO, which says the same.
ReadOnlyFile::ReadOnlyFile(const std::string& path, Sharing, PathText) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) throw EInOutError(errno == ENXIO ? kAccessDenied : windowsErrorFromErrno(errno));
  handle_ = fd;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int code = S_ISDIR(info.st_mode) ? windowsErrorFromErrno(EISDIR) : kAccessDenied;
    ::close(fd);
    handle_ = -1;
    throw EInOutError(code);
  }
  sizeAtOpen_ = static_cast<std::uint64_t>(info.st_size);
}

ReadOnlyFile::~ReadOnlyFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

size_t ReadOnlyFile::read(char* buffer, size_t size, int& errorCode) {
  errorCode = 0;
  for (;;) {
    ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno == EINTR) continue;
    errorCode = windowsErrorFromErrno(errno);
    return 0;
  }
}

int ReadOnlyFile::close() {
  if (handle_ < 0) return 0;
  const int rc = ::close(static_cast<int>(handle_));
  handle_ = -1;
  return rc == 0 ? 0 : windowsErrorFromErrno(errno);
}

}  // namespace tiermend
