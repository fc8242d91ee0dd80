// A read-write session on one SQLite database file.
#pragma once

#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/providers/sqlite/SqliteHandles.h"

namespace tiermend::data::sqlite {

class SqliteSession : public Session {
 public:
  explicit SqliteSession(DatabaseHandle database);

  std::unique_ptr<Cursor> query(const std::string& sql) override;
  std::int64_t execute(const std::string& sql) override;
  void insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<Value>& values) override;
  void beginTransaction() override;
  void commit() override;
  void rollback() override;
  // Every row is stored when posted: nothing is held back.
  void flush() override {}

 private:
  // The INSERT statement last used, kept prepared: rows are posted one at a time,
  // mostly into the same table with the same columns.
  struct PreparedInsert {
    std::string table;
    std::vector<std::string> columns;
    StatementHandle statement;
    std::vector<ColumnType> columnTypes;
  };

  void run(const char* sql);
  void stepToEnd(sqlite3_stmt* statement);
  PreparedInsert& prepareInsert(const std::string& table, const std::vector<std::string>& columns);
  ColumnType declaredColumnType(const std::string& table, const std::string& column);

  DatabaseHandle database_;
  PreparedInsert insert_;
};

}  // namespace tiermend::data::sqlite
