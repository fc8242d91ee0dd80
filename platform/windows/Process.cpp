// The running executable's path on Windows, from GetModuleFileNameA.
#include "platform/Process.h"

#include <windows.h>

namespace tiermend {

std::string executablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The process heap has no setting for it: blocks of a megabyte and more come from the
// system and go back to it whatever the program asks.
void keepFreedMemoryForReuse() {}

}  // namespace tiermend
