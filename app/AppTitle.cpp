// The application title: the executable's file name without its folder and extension,
// lower case after the first letter.
#include "app/AppTitle.h"

#include "platform/File.h"

namespace tiermend::app {

std::string titleFromExecutablePath(const std::string& path) {
  std::string title = lastPartOfPath(path);
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

}  // namespace tiermend::app
