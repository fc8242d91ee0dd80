// The parts of paths every platform shares: dividing a path into its folder and its last
// part, and joining them again.
#include "platform/File.h"

namespace tiermend {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

}  // namespace

std::string folderOfPath(const std::string& path) {
  const auto slash = path.find_last_of(kSeparators);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string lastPartOfPath(const std::string& path) {
  const auto slash = path.find_last_of(kSeparators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && std::string(kSeparators).find(folder.back()) != std::string::npos) {
    return folder + name;
  }
  return folder + "/" + name;
}

}  // namespace tiermend
