// Another program's hold on a SQLite file, played by a second connection of the test:
// it takes the write lock (BEGIN IMMEDIATE), or with Hold::Exclusive the lock that
// keeps readers out as well (BEGIN EXCLUSIVE), and keeps it until it is destroyed or,
// when given a time, lets it go on a thread of its own after that time.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "tests/data/sqlite/SqliteTestFiles.h"

namespace tiermend::testing {

class SqliteLockHolder {
 public:
  enum class Hold { Write, Exclusive };
  explicit SqliteLockHolder(const std::string& path, Hold hold = Hold::Write)
      : file_(std::make_unique<SqliteFile>(path)) {
    file_->exec(hold == Hold::Exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE");
  }
  // Holds the lock for the given time from now, then commits.
  SqliteLockHolder(const std::string& path, std::chrono::milliseconds holdFor)
      : SqliteLockHolder(path) {
    releaser_ = std::thread([this, holdFor] {
      std::this_thread::sleep_for(holdFor);
      file_->exec("COMMIT");
    });
  }
  ~SqliteLockHolder() {
    if (releaser_.joinable()) {
      releaser_.join();
    } else {
      file_->exec("COMMIT");
    }
  }
  SqliteLockHolder(const SqliteLockHolder&) = delete;
  SqliteLockHolder& operator=(const SqliteLockHolder&) = delete;

 private:
  std::unique_ptr<SqliteFile> file_;
  std::thread releaser_;
};

}  // namespace tiermend::testing
