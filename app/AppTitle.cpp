// The application title: the executable's file name without its folder and extension,
// lower case after the first character.
#include "app/AppTitle.h"

#include <vector>

namespace tiermend::app {
namespace {

bool isPathSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

// Where each character of text starts.
std::vector<size_t> characterStarts(const std::string& text, const CodePage& codePage) {
  std::vector<size_t> starts;
  for (size_t pos = 0; pos < text.size(); pos += codePage.charLength(text, pos)) {
    starts.push_back(pos);
  }
  return starts;
}

std::string fileNameOf(const std::string& path, const CodePage& codePage) {
  size_t nameStart = 0;
  for (const size_t pos : characterStarts(path, codePage)) {
    if (isPathSeparator(path[pos])) nameStart = pos + 1;
  }
  return path.substr(nameStart);
}

}  // namespace

std::string titleFromExecutablePath(const std::string& path, const CodePage& codePage) {
  std::string title = fileNameOf(path, codePage);
  const std::vector<size_t> starts = characterStarts(title, codePage);
  for (const size_t pos : starts) {
    if (title[pos] == '.') {
      title.resize(pos);
      break;
    }
  }
  // Only ASCII letters have a case of their own in every code page the tool runs
  // under; the first character stays as it is, and so do double-byte characters, whose
  // first byte is never an ASCII letter.
  for (size_t i = 1; i < starts.size() && starts[i] < title.size(); ++i) {
    char& c = title[starts[i]];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return title;
}

}  // namespace tiermend::app
