// The rowset component: one statement on one connection, walked row by row, appended
// to and posted. Statement text is held as lines of 8-bit text in the ANSI code page.
//
// A rowset is always in exactly one of five states:
//
//   Closed     no result. Fields cannot be had; eof() is true.
//   Opened     a result whose columns are known and whose first row has not been asked
//              for yet. Opening reads no row, so a rowset opened only to append to a
//              table never reads the rows the table already holds.
//   Open       a result with a current row.
//   AtEnd      a result walked past its last row (which stays current), or an empty
//              result. eof() is true.
//   Appending  a new row is being written. The walk's own place (Opened, Open or AtEnd)
//              is kept aside and eof() answers for it.
//
// The moves between them:
//
//   Closed    --open()----------------------> Opened
//   Opened    --eof(), first(), a field's---> Open, or AtEnd for an empty result: the
//               value                         first row is read
//   Opened    --next()----------------------> the first row is read, then next() moves
//                                             on from it
//   Open      --next() from the last row----> AtEnd
//   Open      --first() after next()--------> Closed, then open() again: the cursor
//   AtEnd                                     underneath only moves forward
//   Opened    --append()--------------------> Appending, nothing read
//   Open      --append()--------------------> Appending
//   AtEnd     --append()--------------------> Appending
//   Appending --post()----------------------> the kept place, whether or not the
//                                             engine took the row
//   Appending --first(), next(), append()---> the kept place (posting the row first
//                                             when something was written to it), then
//                                             that move
//   any       --close(), a statement change, the connection closing--> Closed
//
// Every way to Closed goes through close(), which resets all the rowset holds at once.
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

  bool active() const { return state_ != State::Closed; }
  // Opens (connecting first when needed) and learns the result's columns; its rows
  // are read when the first one is asked for. A statement without a result set fails
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
  // stays the current row). Reads the first row when none has been read yet.
  bool eof();

  // Starts a new row with every column unset; post adds it to the statement's table.
  void append();
  void post();
  bool appending() const { return state_ == State::Appending; }

  int fieldCount() const;
  // Column i from 0; any other i fails with "List index out of bounds (%d)". The
  // field stays usable until the rowset is closed or runs its statement again.
  Field field(int index);

 private:
  friend class Field;
  friend class Connection;

  enum class State { Closed, Opened, Open, AtEnd, Appending };

  // The result being walked, from open to close.
  struct Walk {
    std::unique_ptr<Cursor> cursor;
    std::vector<int> visibleColumns;  // cursor column index of each field
    std::vector<std::unique_ptr<FieldConverter>> converters;
    std::vector<Value> row;
    // The next row is read here beside the current one, so that a failed read leaves
    // the current row as it was; the two swap on success and the space is reused.
    std::vector<Value> fetched;
    std::int64_t rowsPassed = 0;  // next() calls that moved to another row
    // While the rowset is Appending: where the walk stands (Opened, Open or AtEnd), to
    // go back to.
    State resumeAt = State::Closed;
  };

  // The row being appended: its values and which fields were written, in what order.
  struct NewRow {
    std::vector<Value> values;
    std::vector<bool> written;
    std::vector<int> writtenOrder;
    void clear();
  };

  // The column names and values handed to the session for one insert. The names stay
  // from row to row while the fields are written in the same order, which is the usual
  // case, so a long refill builds them once instead of once a row.
  struct Insert {
    std::vector<int> builtFor;  // the written order the names were built for
    std::vector<std::string> columns;
    std::vector<Value> values;
  };

  const Value& currentValue(int index);
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
  // Opened -> Open, or AtEnd for an empty result; a walk already under way stays.
  void readFirstRow();
  void finishPendingRow();
  void takeNewRow();
  void endAppend();
  void sendInsert();

  std::string name_;
  Connection* connection_;
  std::vector<std::string> lines_;
  State state_ = State::Closed;
  Walk walk_;
  NewRow newRow_;
  Insert insert_;
};

}  // namespace tiermend::data
