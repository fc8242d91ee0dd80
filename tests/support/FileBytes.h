// A whole file's bytes, read or written at once, for tests that compare a file before and
// after a run or patch a copy in memory. Leans on no test framework, so that tools built
// from test helpers (the benchmarks) can use it too.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace tiermend::testing {

using FileBytes = std::vector<std::uint8_t>;

// Every byte of the file; a file that cannot be opened is a failure, never an empty file.
inline FileBytes fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Replaces the file's content with the bytes (creating the file when it is missing).
inline void writeBytes(const std::string& path, const FileBytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace tiermend::testing
