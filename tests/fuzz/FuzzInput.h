// Helpers the fuzz targets share: a check that aborts (so that libFuzzer keeps the
// input that broke it), and a scratch file that holds the input for code that reads
// files by name.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tiermend::testing {

inline void require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

// A file of this process in the temporary folder, rewritten for every input.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& suffix)
      : path_("/tmp/tiermend-fuzz-" + std::to_string(getpid()) + suffix) {}
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& write(const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path_;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace tiermend::testing
