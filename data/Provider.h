// The small interface every database provider implements: a session on one open
// database, and a forward-only cursor over one result. Providers report failures by
// throwing EngineError with the engine's own description; they know nothing of edit
// text or code pages (all text here is UTF-8).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/ColumnInfo.h"
#include "data/EngineError.h"
#include "data/Value.h"

namespace tiermend::data {

class Cursor {
 public:
  virtual ~Cursor() = default;
  // The result's columns in order, hidden ones included (the rowset leaves those out).
  virtual const std::vector<ColumnInfo>& columns() const = 0;
  // The single table the result comes from, or empty when there is none.
  virtual const std::string& baseTable() const = 0;
  // Reads the next row into row (one value per column). Returns false at the end.
  virtual bool fetch(std::vector<Value>& row) = 0;
};

class Session {
 public:
  virtual ~Session() = default;
  // Runs a statement and returns a cursor over its result, or nullptr when the
  // statement returns no result set (it has then been run).
  virtual std::unique_ptr<Cursor> query(const std::string& sql) = 0;
  // Runs a statement that returns no rows; gives the count of rows affected.
  virtual std::int64_t execute(const std::string& sql) = 0;
  // Adds one row to a table, giving the named columns these values (null included).
  // An open cursor on this session must not keep this from working.
  virtual void insert(const std::string& table, const std::vector<std::string>& columns,
                      const std::vector<Value>& values) = 0;
  // Sends rows that insert() has accepted but kept back, raising the failure of the
  // first one the database refuses. A provider may hold posted rows back inside a
  // transaction, to send several at once; callers flush before they report a failure
  // of their own, so that a row refused earlier is reported first. Statements and
  // commit() flush by themselves; rollback() and the end of the session drop them.
  virtual void flush() = 0;
  virtual void beginTransaction() = 0;
  // Flushes first; a refused row fails the commit and leaves the transaction open.
  virtual void commit() = 0;
  // Everything a commit does short of making the changes visible: raises what the
  // commit would raise and leaves the transaction open, for the caller to roll back.
  // Sending the rows held back is all a commit checks unless the provider says more.
  virtual void checkCommit() { flush(); }
  virtual void rollback() = 0;
};

// The check every insert makes first: one value for each named column.
inline void requireValuePerColumn(const std::vector<std::string>& columns,
                                  const std::vector<Value>& values) {
  if (columns.size() != values.size())
    throw EngineError("The number of values does not match the number of columns");
}

}  // namespace tiermend::data
