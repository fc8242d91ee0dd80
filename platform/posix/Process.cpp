// The running executable's path on Linux, from /proc/self/exe; glibc's allocator told to
// keep freed memory (mallopt).
#include "platform/Process.h"

#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <climits>

namespace tiermend {

std::string executablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

void keepFreedMemoryForReuse() {
#ifdef __GLIBC__
  // The largest threshold glibc takes on 64-bit systems (a larger one is refused).
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}

}  // namespace tiermend
