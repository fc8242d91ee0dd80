// What every platform shares of files: an open file's ownership, and dividing a path
// into its folder and its last part and joining them again.
#include "platform/File.h"

#include <utility>

namespace tiermend {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

}  // namespace

File::~File() {
  close();
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kClosed)), error_(other.error_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, kClosed);
    error_ = other.error_;
  }
  return *this;
}

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
