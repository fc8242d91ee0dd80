// The cost of the copy-and-rename that every change to an Access file pays: makes a file
// of the given size in the given folder, then times a few transactions on it (checks,
// lock, copy beside it; then flushing the copy, the rename and flushing the folder).
//   bench_file_transaction FOLDER [MEGABYTES]
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "data/EngineError.h"
#include "data/providers/jet/file/JetFileTransaction.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Pseudo-random bytes, so that no filesystem can make the copy cheap by compression
// or holes.
void makeFile(const std::string& path, long megabytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::mt19937_64 random(42);
  std::vector<std::uint64_t> block(1 << 17);  // 1 MiB
  for (long i = 0; i < megabytes; ++i) {
    for (auto& word : block) word = random();
    out.write(reinterpret_cast<const char*>(block.data()),
              static_cast<std::streamsize>(block.size() * 8));
  }
  out.close();
  sync();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_file_transaction FOLDER [MEGABYTES]\n");
    return 2;
  }
  const std::string path = std::string(argv[1]) + "/basedb.mdb";
  const long megabytes = argc > 2 ? std::atol(argv[2]) : 200;
  makeFile(path, megabytes);
  for (int run = 1; run <= 3; ++run) {
    try {
      const auto start = std::chrono::steady_clock::now();
      auto transaction = tiermend::data::jet::JetFileTransaction::begin(path);
      const double copied = secondsSince(start);
      const auto commitStart = std::chrono::steady_clock::now();
      transaction->commit([](const std::string&) {});
      const double committed = secondsSince(commitStart);
      std::printf("file transaction, %ld MB: copy %.3f s, flush and rename %.3f s, total %.3f s\n",
                  megabytes, copied, committed, copied + committed);
    } catch (const tiermend::data::EngineError& error) {
      std::fprintf(stderr, "failed: %s\n", error.what());
      return 1;
    }
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak memory %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  unlink(path.c_str());
  return 0;
}
