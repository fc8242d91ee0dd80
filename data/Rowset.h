// The rowset component: one statement on one connection, walked row by row, appended
// to and posted. Statement text is held as lines of 8-bit text in the ANSI code page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/Connection.h"
#include "data/Field.h"
#include "data/Value.h"

namespace tiermend::data {

class Rowset {
 public:
  Rowset(std::string name, Connection& connection);
  ~Rowset();
  Rowset(const Rowset&) = delete;
  Rowset& operator=(const Rowset&) = delete;

  const std::string& name() const { return name_; }
  // The connection it runs on; valid while that connection exists.
  Connection& connection() { return *connection_; }

  // Statement text. Any change closes an open rowset first; clearing an empty list
  // is no change. The text sent is every line followed by CR LF.
  const std::vector<std::string>& sqlLines() const { return lines_; }
  void clearSql();
  void addSql(const std::string& line);
  std::string sqlText() const;

  bool active() const;
  // Opens (connecting first when needed). A statement without a result set fails
  // with "<name>: CommandText does not return a result set". Opening an open rowset
  // does nothing.
  void open();
  // Runs the statement as one that returns no rows; gives the rows affected.
  std::int64_t execSql();
  // Closes; closing a closed rowset does nothing. Drops a row being appended.
  void close();

  // Moving on (first, next, append) while a row is being appended posts that row when
  // something was written to it and drops it when nothing was. The cursor underneath
  // only moves forward: first() after next() runs the statement again.
  void first();
  void next();
  // True for an empty result at once, and after next() from the last row (which then
  // stays the current row).
  bool eof() const;

  // Starts a new row with every column unset; post adds it to the statement's table.
  void append();
  void post();
  bool appending() const { return appending_; }

  int fieldCount() const;
  // Column i from 0; any other i fails with "List index out of bounds (%d)". The
  // field stays usable until the rowset is closed or runs its statement again.
  Field field(int index);

 private:
  friend class Field;
  friend class Connection;
  const Value& currentValue(int index) const;
  void writeValue(int index, Value value);

  Connection& requireConnection();
  void requireActive() const;
  // Raises the rowset's own failure, after the rows posted before it (which the
  // session may hold back) have been sent, so that a row refused earlier is the
  // failure reported, as when every row is sent at its post.
  [[noreturn]] void fail(const std::string& message) const;
  void flushPostedRows() const;
  std::string statementToRun(Connection& connection) const;
  void runQuery();
  void adopt(std::unique_ptr<Cursor> cursor);
  bool fetchRow();
  void finishPendingRow();

  std::string name_;
  Connection* connection_;
  std::vector<std::string> lines_;
  std::unique_ptr<Cursor> cursor_;
  std::vector<int> visibleColumns_;  // cursor column index of each field
  std::vector<std::unique_ptr<FieldConverter>> converters_;
  std::vector<Value> row_;
  bool eof_ = true;
  std::int64_t rowsPassed_ = 0;  // next() calls that moved to another row
  bool appending_ = false;
  std::vector<int> writtenOrder_;  // field indexes in the order first written
  std::vector<bool> written_;      // per field: written to the row being appended
  std::vector<Value> newRow_;
  // Reused from row to row, so that walking and posting do not allocate each time.
  std::vector<Value> fetched_;
  std::vector<std::string> postColumns_;
  std::vector<int> postColumnsOrder_;  // the written order postColumns_ was built for
  std::vector<Value> postValues_;
};

}  // namespace tiermend::data
