// The rowset component: statement lines, a forward-only walk over the result, and
// new rows appended and posted to the statement's table.
#include "data/Rowset.h"

#include <algorithm>

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
  throw EDatabaseError(name_ + ": " + message);
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

bool Rowset::active() const {
  return cursor_ != nullptr;
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

void Rowset::adopt(std::unique_ptr<Cursor> cursor) {
  close();
  const TextSettings& settings = connection_->settings();
  const std::vector<ColumnInfo>& columns = cursor->columns();
  std::vector<int> visible;
  std::vector<std::unique_ptr<FieldConverter>> converters;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].hidden) continue;
    visible.push_back(static_cast<int>(i));
    converters.push_back(makeFieldConverter(columns[i], settings));
  }
  visibleColumns_ = std::move(visible);
  converters_ = std::move(converters);
  cursor_ = std::move(cursor);
  row_.assign(columns.size(), Null{});
  rowsPassed_ = 0;
  try {
    eof_ = !fetchRow();
  } catch (...) {
    close();
    throw;
  }
}

// The row is read into a spare buffer first, so that a failed read leaves the current
// row as it was.
bool Rowset::fetchRow() {
  if (!callEngine(connection_->settings().codePage, [&] { return cursor_->fetch(fetched_); }))
    return false;
  row_.swap(fetched_);
  return true;
}

std::int64_t Rowset::execSql() {
  Connection& connection = requireConnection();
  const std::string utf8 = statementToRun(connection);
  return callEngine(connection.settings().codePage,
                    [&] { return connection.session().execute(utf8); });
}

void Rowset::close() {
  cursor_.reset();
  visibleColumns_.clear();
  converters_.clear();
  row_.clear();
  eof_ = true;
  rowsPassed_ = 0;
  appending_ = false;
  writtenOrder_.clear();
  written_.clear();
  newRow_.clear();
  fetched_.clear();
  postColumns_.clear();
  postColumnsOrder_.clear();
  postValues_.clear();
}

// Before the rowset moves, a row being appended is posted when something was written
// to it and dropped when nothing was.
void Rowset::finishPendingRow() {
  if (!appending_) return;
  if (writtenOrder_.empty()) {
    appending_ = false;
    written_.clear();
    newRow_.clear();
    return;
  }
  post();
}

void Rowset::first() {
  requireActive();
  finishPendingRow();
  // The cursor only moves forward: going back to the first row runs the statement again.
  if (rowsPassed_ == 0) return;
  close();
  runQuery();
}

void Rowset::next() {
  requireActive();
  finishPendingRow();
  if (eof_) return;
  // At the end the last row stays current, as it was before the move.
  if (fetchRow()) {
    ++rowsPassed_;
  } else {
    eof_ = true;
  }
}

bool Rowset::eof() const {
  return !active() || eof_;
}

void Rowset::append() {
  requireActive();
  finishPendingRow();
  appending_ = true;
  writtenOrder_.clear();
  written_.assign(converters_.size(), false);
  newRow_.assign(converters_.size(), Null{});
}

void Rowset::post() {
  requireActive();
  if (!appending_) fail("Dataset not in edit or insert mode");
  // Rows are mostly written column by column in the same order: the column names are
  // then those of the row before.
  if (writtenOrder_ != postColumnsOrder_) {
    postColumns_.clear();
    for (int index : writtenOrder_) {
      const ColumnInfo& info = converters_[static_cast<size_t>(index)]->info();
      if (info.updatable) postColumns_.push_back(info.name);
    }
    postColumnsOrder_ = writtenOrder_;
  }
  postValues_.resize(postColumns_.size());
  size_t next = 0;
  for (int index : writtenOrder_) {
    if (!converters_[static_cast<size_t>(index)]->info().updatable) continue;
    postValues_[next++] = std::move(newRow_[static_cast<size_t>(index)]);
  }
  // Whatever the outcome, the new row is done with: a refused row is not kept.
  appending_ = false;
  writtenOrder_.clear();
  written_.clear();
  newRow_.clear();
  const std::string& table = cursor_->baseTable();
  if (table.empty()) fail("Insufficient base table information for updating or refreshing");
  Connection& connection = requireConnection();
  callEngine(connection.settings().codePage,
             [&] { connection.session().insert(table, postColumns_, postValues_); });
}

int Rowset::fieldCount() const {
  return static_cast<int>(converters_.size());
}

Field Rowset::field(int index) {
  if (index < 0 || index >= fieldCount()) throw EListError(index);
  return Field(*this, index, *converters_[static_cast<size_t>(index)]);
}

const Value& Rowset::currentValue(int index) const {
  if (appending_) {
    return written_[static_cast<size_t>(index)] ? newRow_[static_cast<size_t>(index)] : kUnset;
  }
  if (row_.empty()) return kUnset;
  return row_[static_cast<size_t>(visibleColumns_[static_cast<size_t>(index)])];
}

void Rowset::writeValue(int index, Value value) {
  if (!appending_) fail("Dataset not in edit or insert mode");
  newRow_[static_cast<size_t>(index)] = std::move(value);
  if (!written_[static_cast<size_t>(index)]) {
    written_[static_cast<size_t>(index)] = true;
    writtenOrder_.push_back(index);
  }
}

}  // namespace tiermend::data
