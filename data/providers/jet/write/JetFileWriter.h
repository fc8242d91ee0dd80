// All the changes of one transaction to a Jet file: it writes to the file it is given
// (the transaction's copy of the database), one table writer per changed table, and
// afterwards checks, by reading the file back through the provider's own reader, that
// every changed table holds exactly the rows it was given. It keeps one open database
// of the file for what it must read (table definitions, rows before the change,
// relationships), opened afresh only when the file was changed since and only after the
// changes so far are flushed to it.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data/Value.h"
#include "data/providers/jet/pages/JetPageFile.h"
#include "data/providers/jet/read/JetDatabase.h"
#include "data/providers/jet/write/JetTableWriter.h"

namespace tiermend::data::jet {

class JetFileWriter {
 public:
  // Opens path for writing; shownPath names the file in messages (the file the user
  // gave, of which path is the working copy). Throws EngineError when the file cannot be
  // written safely: page-encrypted files are refused.
  JetFileWriter(const std::string& path, const std::string& password,
                const std::string& shownPath = {});

  // Refuses (EngineError) to empty a table that another table's rows refer to through
  // an enforced relationship, or whose relationship would delete them with it.
  std::int64_t deleteAll(const std::string& table);
  // Refuses (EngineError) rows for a table whose enforced relationship requires them to
  // match rows of another table.
  void insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<Value>& values);
  // Puts every change in the file (not yet synced to disk).
  void flush();
  // Reads the file at path back and throws EngineError when a changed table's row
  // count or values differ from what was written.
  void check(const std::string& path) const;

 private:
  JetTableWriter& writerFor(const std::string& table);
  // The database as the file stands now.
  const std::shared_ptr<JetDatabase>& current();

  std::string path_;
  std::string password_;
  std::shared_ptr<JetDatabase> database_;  // the file as it was last opened
  bool databaseBehind_ = false;            // the file may have changed since
  JetPageFile file_;
  JetPageCache cache_;
  JetUsageMap globalMap_;
  std::vector<std::unique_ptr<JetTableWriter>> tables_;
  std::set<std::string> fillable_;  // tables whose relationships let rows be added
};

}  // namespace tiermend::data::jet
