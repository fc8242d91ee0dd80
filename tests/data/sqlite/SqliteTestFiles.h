// Temporary folders and real SQLite files for the tests.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace tiermend::testing {

// A connection of the test's own, beside the one under test, to set up and check files.
class SqliteFile {
 public:
  explicit SqliteFile(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
      std::string message = sqlite3_errmsg(db_);
      sqlite3_close(db_);
      throw std::runtime_error(message);
    }
  }
  ~SqliteFile() { sqlite3_close(db_); }
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  void exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = error ? error : "?";
      sqlite3_free(error);
      throw std::runtime_error(message + " in: " + sql);
    }
  }

  // Every value of the result, row by row, as SQLite's text ("NULL" for null).
  std::vector<std::vector<std::string>> rows(const std::string& sql) {
    std::vector<std::vector<std::string>> result;
    auto collect = [](void* target, int count, char** values, char**) {
      auto* rows = static_cast<std::vector<std::vector<std::string>>*>(target);
      std::vector<std::string> row;
      for (int i = 0; i < count; ++i) row.push_back(values[i] ? values[i] : "NULL");
      rows->push_back(std::move(row));
      return 0;
    };
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), collect, &result, &error) != SQLITE_OK) {
      std::string message = error ? error : "?";
      sqlite3_free(error);
      throw std::runtime_error(message + " in: " + sql);
    }
    return result;
  }

  // The single value a query gives.
  std::string value(const std::string& sql) {
    auto result = rows(sql);
    if (result.size() != 1 || result[0].size() != 1) throw std::runtime_error("not one value");
    return result[0][0];
  }

 private:
  sqlite3* db_ = nullptr;
};

// The statements that make the four bracket tables of a customer database, empty
// (testdata/bracket-tables-sqlite.sql).
inline std::string bracketTablesSql() {
  std::ifstream in(std::string(TIERMEND_TESTDATA) + "/bracket-tables-sqlite.sql");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Creates a SQLite file at path holding what the statements make.
inline void createSqliteFile(const std::string& path, const std::string& sql) {
  SqliteFile file(path);
  file.exec(sql);
}

// A SQLite file made from statements in a temporary folder of its own, removed with it.
class ScratchSqliteFile {
 public:
  ScratchSqliteFile(const std::string& name, const std::string& sql) : path_(folder_.file(name)) {
    createSqliteFile(path_, sql);
  }
  const std::string& path() const { return path_; }

 private:
  TempFolder folder_;
  std::string path_;
};

}  // namespace tiermend::testing
