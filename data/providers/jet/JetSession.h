// The read-only Jet session: simple selects stream rows from the file; everything that
// would change the file is refused before anything is written.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/providers/jet/JetDatabase.h"

namespace tiermend::data::jet {

class JetSession : public Session {
 public:
  explicit JetSession(std::shared_ptr<JetDatabase> database) : database_(std::move(database)) {}

  std::unique_ptr<Cursor> query(const std::string& sql) override;
  // A select run as a statement without rows checks its table and columns and
  // affects nothing; every other statement would change the file.
  std::int64_t execute(const std::string& sql) override;
  void insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<Value>& values) override;
  // Nothing can change, so there is nothing to commit or undo.
  void beginTransaction() override {}
  void commit() override {}
  void rollback() override {}

 private:
  std::shared_ptr<JetDatabase> database_;
};

}  // namespace tiermend::data::jet
