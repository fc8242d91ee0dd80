// A session on one Access file. Selects stream rows from the file; "delete from <table>"
// and inserts are written by the provider's own page writer into a copy of the file
// (JetFileTransaction), which replaces the file only when the transaction commits and
// reading the copy back shows every changed table holding exactly what was written. A
// change made outside a transaction is a transaction of its own. Within a transaction
// selects see the changes made so far.
#pragma once

#include <memory>
#include <string>

#include "data/Provider.h"
#include "data/providers/jet/read/JetDatabase.h"

namespace tiermend::data::jet {

class JetFileTransaction;
class JetFileWriter;

class JetSession : public Session {
 public:
  // Opens path, checking the database password as JetDatabase::open does.
  JetSession(std::string path, std::string password);
  ~JetSession() override;

  std::unique_ptr<Cursor> query(const std::string& sql) override;
  std::int64_t execute(const std::string& sql) override;
  void insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<Value>& values) override;
  void beginTransaction() override;
  void commit() override;
  // Writes what is still buffered and reads the copy back as commit() does, keeping it.
  void checkCommit() override;
  void rollback() override;
  // Every change is written to the transaction's copy at once; nothing waits.
  void flush() override {}

 private:
  std::shared_ptr<JetDatabase> currentDatabase();
  template <typename Change>
  auto change(Change&& run);
  void endTransaction();

  std::string path_;
  std::string password_;
  std::shared_ptr<JetDatabase> database_;  // the file as selects see it now
  // The file itself as this session last opened it, which cursors may still read.
  std::weak_ptr<JetDatabase> original_;
  std::unique_ptr<JetFileTransaction> transaction_;
  std::unique_ptr<JetFileWriter> writer_;
  bool readerBehind_ = false;  // changes written since database_ was opened
  // What the tables checked so far (and rolled back) would have added to the file: the
  // real run writes each table into a copy of a file that has grown by that much.
  std::uint64_t checkedGrowth_ = 0;
};

}  // namespace tiermend::data::jet
