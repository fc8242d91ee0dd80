// The rowset component: statement lines, a forward-only walk over the result, and
// new rows appended and posted to the statement's table. The states and the moves
// between them are described in Rowset.h.
#include "data/Rowset.h"

#include "data/EngineError.h"
#include "data/value/AsciiText.h"
#include "platform/Exceptions.h"

namespace tiermend::data {
namespace {

const Value kUnset = Null{};

}  // namespace

Rowset::Rowset(std::string name, Connection& connection)
    : name_(std::move(name)), connection_(&connection) {
  connection.attach(this);
}

Rowset::~Rowset() {
  close();
  if (connection_ != nullptr) connection_->detach(this);
}

void Rowset::fail(const std::string& message) const {
  flushPostedRows();
  throw EDatabaseError(name_ + ": " + message);
}

void Rowset::flushPostedRows() const {
  if (connection_ != nullptr) connection_->flushPostedRows();
}

Connection& Rowset::requireConnection() {
  if (connection_ == nullptr) fail("Missing Connection or ConnectionString");
  return *connection_;
}

void Rowset::requireActive() const {
  if (!active()) fail("Cannot perform this operation on a closed dataset");
}

void Rowset::clearSql() {
  if (lines_.empty()) return;
  close();
  lines_.clear();
}

void Rowset::addSql(const std::string& line) {
  close();
  lines_.push_back(line);
}

std::string Rowset::sqlText() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

void Rowset::open() {
  if (active()) return;
  runQuery();
}

// Connects when needed and gives the statement text in UTF-8, as engines take it.
std::string Rowset::statementToRun(Connection& connection) const {
  const std::string text = sqlText();
  if (isBlankText(text)) fail("The statement text is empty");
  connection.open();
  return connection.settings().codePage.toUtf8(text);
}

// Runs the statement and takes its result as the rowset's rows.
void Rowset::runQuery() {
  Connection& connection = requireConnection();
  const std::string utf8 = statementToRun(connection);
  std::unique_ptr<Cursor> cursor =
      callEngine(connection.settings().codePage, [&] { return connection.session().query(utf8); });
  if (!cursor) fail("CommandText does not return a result set");
  adopt(std::move(cursor));
}

// Closed -> Opened: the columns are known, no row has been read.
void Rowset::adopt(std::unique_ptr<Cursor> cursor) {
  close();
  const TextSettings& settings = connection_->settings();
  const std::vector<ColumnInfo>& columns = cursor->columns();
  Walk walk;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].hidden) continue;
    walk.visibleColumns.push_back(static_cast<int>(i));
    walk.converters.push_back(makeFieldConverter(columns[i], settings));
  }
  walk.row.assign(columns.size(), Null{});
  walk.cursor = std::move(cursor);
  walk_ = std::move(walk);
  state_ = State::Opened;
}

// A result whose first row cannot be read is closed, as an open that fails would be.
void Rowset::readFirstRow() {
  State& place = state_ == State::Appending ? walk_.resumeAt : state_;
  if (place != State::Opened) return;
  try {
    place = fetchRow() ? State::Open : State::AtEnd;
  } catch (...) {
    close();
    throw;
  }
}

bool Rowset::fetchRow() {
  if (!callEngine(connection_->settings().codePage,
                  [&] { return walk_.cursor->fetch(walk_.fetched); }))
    return false;
  walk_.row.swap(walk_.fetched);
  return true;
}

std::int64_t Rowset::execSql() {
  Connection& connection = requireConnection();
  const std::string utf8 = statementToRun(connection);
  return callEngine(connection.settings().codePage,
                    [&] { return connection.session().execute(utf8); });
}

// The one way to Closed: the result, the row being appended and the insert's names
// are all dropped together.
void Rowset::close() {
  state_ = State::Closed;
  walk_ = Walk{};
  newRow_ = NewRow{};
  insert_ = Insert{};
}

void Rowset::NewRow::clear() {
  values.clear();
  written.clear();
  writtenOrder.clear();
}

// Appending -> the walk's kept place; the new row is dropped.
void Rowset::endAppend() {
  newRow_.clear();
  state_ = walk_.resumeAt;
}

// Before the rowset moves, a row being appended is posted when something was written
// to it and dropped when nothing was.
void Rowset::finishPendingRow() {
  if (state_ != State::Appending) return;
  if (newRow_.writtenOrder.empty()) {
    endAppend();
    return;
  }
  post();
}

void Rowset::first() {
  requireActive();
  finishPendingRow();
  // The cursor only moves forward: going back to the first row runs the statement again.
  if (walk_.rowsPassed != 0) {
    close();
    runQuery();
  }
  readFirstRow();
}

void Rowset::next() {
  requireActive();
  finishPendingRow();
  readFirstRow();
  if (state_ == State::AtEnd) return;
  // At the end the last row stays current, as it was before the move.
  if (fetchRow()) {
    ++walk_.rowsPassed;
  } else {
    state_ = State::AtEnd;
  }
}

bool Rowset::eof() {
  readFirstRow();
  switch (state_) {
    case State::Closed:
    case State::AtEnd:
      return true;
    case State::Appending:
      return walk_.resumeAt == State::AtEnd;
    case State::Opened:
    case State::Open:
      break;
  }
  return false;
}

void Rowset::append() {
  requireActive();
  finishPendingRow();
  walk_.resumeAt = state_;
  state_ = State::Appending;
  newRow_.values.assign(walk_.converters.size(), Null{});
  newRow_.written.assign(walk_.converters.size(), false);
}

// Posting has three jobs: taking the written values of the updatable fields, ending
// the append (whatever the engine says, a refused row is not kept), and handing the
// row to the session.
void Rowset::post() {
  requireActive();
  if (state_ != State::Appending) fail("Dataset not in edit or insert mode");
  takeNewRow();
  endAppend();
  sendInsert();
}

void Rowset::takeNewRow() {
  if (newRow_.writtenOrder != insert_.builtFor) {
    insert_.columns.clear();
    for (int index : newRow_.writtenOrder) {
      const ColumnInfo& info = walk_.converters[static_cast<size_t>(index)]->info();
      if (info.updatable) insert_.columns.push_back(info.name);
    }
    insert_.builtFor = newRow_.writtenOrder;
  }
  insert_.values.resize(insert_.columns.size());
  size_t next = 0;
  for (int index : newRow_.writtenOrder) {
    if (!walk_.converters[static_cast<size_t>(index)]->info().updatable) continue;
    insert_.values[next++] = std::move(newRow_.values[static_cast<size_t>(index)]);
  }
}

void Rowset::sendInsert() {
  const std::string& table = walk_.cursor->baseTable();
  if (table.empty()) fail("Insufficient base table information for updating or refreshing");
  Connection& connection = requireConnection();
  callEngine(connection.settings().codePage,
             [&] { connection.session().insert(table, insert_.columns, insert_.values); });
}

int Rowset::fieldCount() const {
  return static_cast<int>(walk_.converters.size());
}

Field Rowset::field(int index) {
  if (index < 0 || index >= fieldCount()) {
    flushPostedRows();
    throw EListError(index);
  }
  return Field(*this, index, *walk_.converters[static_cast<size_t>(index)]);
}

const Value& Rowset::currentValue(int index) {
  // A row being appended is read from itself, without reading the walk's first row.
  if (state_ == State::Opened) readFirstRow();
  const auto i = static_cast<size_t>(index);
  switch (state_) {
    case State::Closed:
      return kUnset;
    case State::Appending:
      return newRow_.written[i] ? newRow_.values[i] : kUnset;
    case State::Opened:
    case State::Open:
    case State::AtEnd:
      break;
  }
  return walk_.row[static_cast<size_t>(walk_.visibleColumns[i])];
}

void Rowset::writeValue(int index, Value value) {
  if (state_ != State::Appending) fail("Dataset not in edit or insert mode");
  const auto i = static_cast<size_t>(index);
  newRow_.values[i] = std::move(value);
  if (!newRow_.written[i]) {
    newRow_.written[i] = true;
    newRow_.writtenOrder.push_back(index);
  }
}

}  // namespace tiermend::data
