// The running executable's path on Linux, from /proc/self/exe.
#include "platform/Process.h"

#include <unistd.h>

#include <climits>

namespace tiermend {

std::string executablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace tiermend
