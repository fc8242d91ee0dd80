// Direct access to a SQLite file for setting up and inspecting test databases,
// independent of the data layer under test.
#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tiermend::refresh {

class SqliteFile {
 public:
  explicit SqliteFile(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
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
      std::string message = error ? error : "sqlite error";
      sqlite3_free(error);
      throw std::runtime_error(message + " in: " + sql);
    }
  }

  // Every row of a query, each value as text ("NULL" for null).
  std::vector<std::vector<std::string>> rows(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db_));
    std::vector<std::vector<std::string>> result;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* text = sqlite3_column_text(stmt, i);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
      }
      result.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return result;
  }

  std::string scalar(const std::string& sql) {
    auto all = rows(sql);
    return all.empty() || all[0].empty() ? "" : all[0][0];
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace tiermend::refresh
