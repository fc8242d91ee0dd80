// Whole-file copy for the Jet file transaction (see JetFileCopy.h).
#include "data/providers/jet/file/JetFileCopy.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace tiermend::data::jet {

namespace {

constexpr size_t kChunk = 1 << 24;

// These errors mean "this way of copying is not available here", not a failed copy.
bool unsupported(int error) {
  return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP ||
         error == ENOTTY || error == EPERM;
}

// Copies size bytes by repeated calls of one kernel copy (copy_file_range or sendfile),
// each moving at most kChunk bytes; -1 when that copy is unavailable before anything
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

int copyWithRange(int from, int to, off_t size) {
  return copyInChunks(size, [&] { return copy_file_range(from, nullptr, to, nullptr, kChunk, 0); });
}

int copyWithSendfile(int from, int to, off_t size) {
  return copyInChunks(size, [&] { return sendfile(to, from, nullptr, kChunk); });
}

int copyWithReadWrite(int from, int to) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = read(from, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    for (ssize_t written = 0; written < n;) {
      const ssize_t w = write(to, buffer.data() + written, n - written);
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) return errno;
      written += w;
    }
  }
}

bool rewind(int from, int to) {
  return lseek(from, 0, SEEK_SET) == 0 && lseek(to, 0, SEEK_SET) == 0 && ftruncate(to, 0) == 0;
}

}  // namespace

int copyFileContents(int from, int to) {
  if (ioctl(to, FICLONE, from) == 0) return 0;
  struct stat source {};
  if (fstat(from, &source) != 0 || !rewind(from, to)) return errno;
  int result = copyWithRange(from, to, source.st_size);
  if (result >= 0) return result;
  if (!rewind(from, to)) return errno;
  result = copyWithSendfile(from, to, source.st_size);
  if (result >= 0) return result;
  if (!rewind(from, to)) return errno;
  return copyWithReadWrite(from, to);
}

}  // namespace tiermend::data::jet
