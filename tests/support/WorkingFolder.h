// A fresh temporary folder that is the process's working folder while the object lives,
// for tests of code that finds Link.txt and the other files it reads in the working
// folder. Afterwards the previous working folder is restored and the folder removed.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "tests/support/TempFolder.h"

namespace tiermend::testing {

class WorkingFolder {
 public:
  WorkingFolder() { std::filesystem::current_path(folder_.path()); }
  ~WorkingFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

  const std::filesystem::path& path() const { return folder_.path(); }

 private:
  // Declared in this order so that the folder is removed after the working folder is
  // restored.
  std::filesystem::path previous_ = std::filesystem::current_path();
  TempFolder folder_;
};

}  // namespace tiermend::testing
