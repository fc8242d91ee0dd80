// The refresh step of one bracket table.
//
// The target table is emptied and refilled inside one transaction on the target
// connection: if anything fails part-way (a missing update package, a short source
// table, a value the target refuses), the transaction is rolled back and the table
// keeps its old rows. Tables refreshed earlier in the chain stay refreshed.
#include "refresh/RefreshStep.h"

#include <exception>

#include "platform/Interruption.h"
#include "refresh/BracketTables.h"

namespace tiermend::refresh {
namespace {

constexpr int kButtonCount = static_cast<int>(kBracketTables.size());

void setAllButtonsEnabled(RefreshHost& host, bool enabled) {
  for (int i = 0; i < kButtonCount; ++i) host.setButtonEnabled(i, enabled);
}

void reopenWith(data::Rowset& rowset, const char* statement) {
  rowset.close();
  rowset.clearSql();
  rowset.addSql(statement);
  rowset.open();
}

// Copies every source row into the target, column by column as edit text, posting each
// row before the next one is read. Gives the count of rows posted. A request to stop the
// run is taken between rows; the table's transaction is then rolled back.
std::int64_t copyRows(data::Rowset& source, data::Rowset& target, int columnCount) {
  std::int64_t posted = 0;
  source.first();
  while (!source.eof()) {
    throwIfInterrupted();
    target.append();
    for (int i = 0; i < columnCount; ++i) target.field(i).setAsString(source.field(i).asString());
    target.post();
    ++posted;
    source.next();
  }
  return posted;
}

// Empties and refills one table; runs inside the target connection's transaction.
TableCounts replaceRows(const BracketTable& table, data::Rowset& target, data::Rowset& source) {
  TableCounts counts;
  target.clearSql();
  target.addSql(table.deleteStatement);
  counts.replaced = target.execSql();
  reopenWith(target, table.selectStatement);
  reopenWith(source, table.selectStatement);
  counts.written = copyRows(source, target, table.columnCount);
  source.close();
  target.close();
  return counts;
}

// A check ends as a commit would up to the point of making the rows visible: rows held
// back are sent and whatever the commit would refuse is refused. Then the table goes
// back to its old rows.
void endTransaction(data::Connection& connection, StepEnd end) {
  if (end == StepEnd::Commit) {
    connection.commit();
    return;
  }
  connection.checkCommit();
  connection.rollback();
}

// Called while a failure is being handled: the target may still hold posted rows
// back. They are sent first, and a refused one is the failure to report, as it would
// have been had it gone to the database at its post, before the failure that stopped
// the step (a source row that cannot be read, for example).
std::exception_ptr reportedFailure(data::Connection& target) {
  std::exception_ptr failure = std::current_exception();
  try {
    target.flushPostedRows();
  } catch (...) {
    failure = std::current_exception();
  }
  return failure;
}

// A wait for a lock cut short by a request to stop fails as a wait would; what happened
// is the stop, and that is what the user is told.
[[noreturn]] void rethrowUnlessInterrupted(std::exception_ptr failure) {
  if (const int signal = interruptionRequested()) throw EInterrupted(signal);
  std::rethrow_exception(failure);
}

// The transaction begins before the first read of the table, with no result of the
// target still open, so that a database that locks for writing does so before anything
// is read: a lock that another program holds is then waited for (a bounded wait) rather
// than refused at once when the delete asks to write.
TableCounts refreshTable(const BracketTable& table, data::Rowset& target, data::Rowset& source,
                         StepEnd end) {
  throwIfInterrupted();
  target.close();
  data::Connection& connection = target.connection();
  try {
    connection.beginTransaction();
  } catch (...) {
    rethrowUnlessInterrupted(std::current_exception());
  }
  try {
    reopenWith(target, table.selectStatement);
    const TableCounts counts = replaceRows(table, target, source);
    // The last moment the table can still keep its old rows.
    throwIfInterrupted();
    endTransaction(connection, end);
    return counts;
  } catch (...) {
    std::exception_ptr failure = reportedFailure(connection);
    try {
      if (connection.inTransaction()) connection.rollback();
    } catch (...) {
      // The failure found above is the one the user needs to see.
    }
    rethrowUnlessInterrupted(failure);
  }
}

}  // namespace

void runRefreshStep(int step, data::Rowset& target, data::Rowset& source, RefreshHost& host,
                    StepEnd end) {
  const BracketTable& table = kBracketTables.at(static_cast<size_t>(step));
  setAllButtonsEnabled(host, false);
  const TableCounts counts = refreshTable(table, target, source, end);
  host.tableDone(step, counts);
  setAllButtonsEnabled(host, true);
  if (step + 1 < kButtonCount) {
    host.invokeButtonAction(step + 1);
  } else {
    host.showCompletionMessage();
    host.endRun();
  }
}

}  // namespace tiermend::refresh
