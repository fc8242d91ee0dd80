// The read-only Jet session.
#include "data/providers/jet/JetSession.h"

#include "data/EngineError.h"
#include "data/providers/jet/JetCursor.h"
#include "data/providers/jet/JetStatement.h"

namespace tiermend::data::jet {
namespace {

[[noreturn]] void refuseChange() {
  throw EngineError("Cannot update. Database or object is read-only.");
}

}  // namespace

std::unique_ptr<Cursor> JetSession::query(const std::string& sql) {
  const JetStatement statement = parseStatement(sql);
  if (statement.kind == JetStatement::Kind::Changing) refuseChange();
  return std::make_unique<JetCursor>(database_, statement.table, statement.columns);
}

std::int64_t JetSession::execute(const std::string& sql) {
  const JetStatement statement = parseStatement(sql);
  if (statement.kind == JetStatement::Kind::Changing) refuseChange();
  JetCursor check(database_, statement.table, statement.columns);
  return 0;
}

void JetSession::insert(const std::string&, const std::vector<std::string>&,
                        const std::vector<Value>&) {
  refuseChange();
}

}  // namespace tiermend::data::jet
