// The application title: the executable's file name without its folder and extension,
// lower case after the first letter, and the path of the running executable it comes from.
#include "app/AppTitle.h"

#include <unistd.h>

#include <climits>

namespace tiermend::app {

std::string titleFromExecutablePath(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = title.find('.');
  if (dot != std::string::npos) title.resize(dot);
  // Only ASCII letters have a case of their own in every code page the tool runs
  // under; other bytes (and the halves of double-byte characters) stay as they are.
  for (size_t i = 1; i < title.size(); ++i) {
    const char c = title[i];
    if (c >= 'A' && c <= 'Z') title[i] = static_cast<char>(c - 'A' + 'a');
  }
  return title;
}

std::string executablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace tiermend::app
