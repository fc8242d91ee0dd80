// The read-only Jet session: simple selects stream rows from the file; everything that
// would change the file is refused before anything is written.
#include "data/providers/jet/JetProvider.h"

#include "data/EngineError.h"
#include "data/providers/jet/JetCursor.h"
#include "data/providers/jet/JetDatabase.h"
#include "data/providers/jet/JetStatement.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void refuseChange() {
  throw EngineError("Cannot update. Database or object is read-only.");
}

class JetSession : public Session {
 public:
  explicit JetSession(std::shared_ptr<JetDatabase> database) : database_(std::move(database)) {}

  std::unique_ptr<Cursor> query(const std::string& sql) override {
    const JetStatement statement = parseStatement(sql);
    if (statement.kind == JetStatement::Kind::Changing) refuseChange();
    return std::make_unique<JetCursor>(database_, statement.table, statement.columns);
  }

  // A select run as a statement without rows checks its table and columns and
  // affects nothing; every other statement would change the file.
  std::int64_t execute(const std::string& sql) override {
    const JetStatement statement = parseStatement(sql);
    if (statement.kind == JetStatement::Kind::Changing) refuseChange();
    JetCursor check(database_, statement.table, statement.columns);
    return 0;
  }

  void insert(const std::string&, const std::vector<std::string>&,
              const std::vector<Value>&) override {
    refuseChange();
  }

  // Nothing can change, so there is nothing to commit or undo.
  void beginTransaction() override {}
  void commit() override {}
  void rollback() override {}
  void flush() override {}

 private:
  std::shared_ptr<JetDatabase> database_;
};

}  // namespace

std::unique_ptr<Session> openSession(const std::string& path, const std::string& password) {
  return std::make_unique<JetSession>(JetDatabase::open(path, password));
}

}  // namespace tiermend::data::jet
