// The connection component: opening, closing and transactions on one session.
#include "data/Connection.h"

#include <algorithm>

#include "data/EngineError.h"
#include "data/ProviderChoice.h"
#include "data/Rowset.h"
#include "platform/Exceptions.h"

namespace tiermend::data {

Connection::Connection(std::string name, TextSettings settings)
    : name_(std::move(name)), settings_(std::move(settings)) {}

Connection::~Connection() {
  try {
    close();
  } catch (...) {
    // A connection that goes away cannot report anything; its session is dropped.
  }
  for (Rowset* rowset : rowsets_) rowset->connection_ = nullptr;
}

void Connection::setConnectionString(const std::string& utf8) {
  if (utf8 == connectionString_) return;
  if (connected()) throw EDatabaseError("Operation is not allowed when the object is open");
  connectionString_ = utf8;
}

void Connection::open() {
  if (connected()) return;
  session_ = callEngine(settings_.codePage, [&] { return openSessionFor(connectionString_); });
  inTransaction_ = false;
}

void Connection::close() {
  if (!connected()) return;
  for (Rowset* rowset : rowsets_) rowset->close();
  if (inTransaction_) {
    inTransaction_ = false;
    try {
      session_->rollback();
    } catch (const EngineError&) {
      // Dropping the session below undoes the uncommitted work all the same.
    }
  }
  session_.reset();
}

void Connection::beginTransaction() {
  open();
  if (inTransaction_) throw EDatabaseError("A transaction is already active on this connection");
  callEngine(settings_.codePage, [&] { session_->beginTransaction(); });
  inTransaction_ = true;
}

void Connection::commit() {
  if (!connected() || !inTransaction_) {
    throw EDatabaseError("No transaction is active on this connection");
  }
  // On failure the transaction is still open; the caller may roll it back.
  callEngine(settings_.codePage, [&] { session_->commit(); });
  inTransaction_ = false;
}

void Connection::checkCommit() {
  if (!connected() || !inTransaction_) {
    throw EDatabaseError("No transaction is active on this connection");
  }
  callEngine(settings_.codePage, [&] { session_->checkCommit(); });
}

void Connection::rollback() {
  if (!connected() || !inTransaction_) {
    throw EDatabaseError("No transaction is active on this connection");
  }
  inTransaction_ = false;
  callEngine(settings_.codePage, [&] { session_->rollback(); });
}

void Connection::flushPostedRows() {
  if (!connected()) return;
  callEngine(settings_.codePage, [&] { session_->flush(); });
}

Session& Connection::session() {
  open();
  return *session_;
}

void Connection::attach(Rowset* rowset) {
  rowsets_.push_back(rowset);
}

void Connection::detach(Rowset* rowset) {
  rowsets_.erase(std::remove(rowsets_.begin(), rowsets_.end(), rowset), rowsets_.end());
}

}  // namespace tiermend::data
