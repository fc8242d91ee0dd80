// The Jet session: reads through JetCursor, writes through JetFileWriter inside a
// JetFileTransaction.
#include "data/providers/jet/JetSession.h"

#include "data/EngineError.h"
#include "data/providers/jet/JetStatement.h"
#include "data/providers/jet/file/JetFileTransaction.h"
#include "data/providers/jet/read/JetCursor.h"
#include "data/providers/jet/write/JetFileWriter.h"
#include "platform/File.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void refuseStatement() {
  throw EngineError(
      "This statement cannot be run on an Access database: only 'delete from <table>' and "
      "inserts can change it.");
}

}  // namespace

JetSession::JetSession(std::string path, std::string password)
    : path_(std::move(path)),
      password_(std::move(password)),
      database_(JetDatabase::open(path_, password_)),
      original_(database_) {}

JetSession::~JetSession() {
  try {
    endTransaction();
  } catch (const EngineError&) {
    // The copy is discarded all the same; the file itself was never touched.
  }
}

// After writing, the copy is opened afresh for the next select: its catalogue and page
// count may have changed.
std::shared_ptr<JetDatabase> JetSession::currentDatabase() {
  if (writer_ && readerBehind_) {
    writer_->flush();
    database_ = JetDatabase::open(transaction_->copyPath(), password_, path_);
    readerBehind_ = false;
  }
  return database_;
}

std::unique_ptr<Cursor> JetSession::query(const std::string& sql) {
  const JetStatement statement = parseStatement(sql);
  if (statement.kind == JetStatement::Kind::DeleteAll) {
    execute(sql);
    return nullptr;
  }
  if (statement.kind == JetStatement::Kind::Changing) refuseStatement();
  return std::make_unique<JetCursor>(currentDatabase(), statement.table, statement.columns);
}

template <typename Change>
auto JetSession::change(Change&& run) {
  const bool ownTransaction = !transaction_;
  if (ownTransaction) beginTransaction();
  try {
    readerBehind_ = true;
    auto result = run(*writer_);
    if (ownTransaction) commit();
    return result;
  } catch (...) {
    if (ownTransaction) endTransaction();
    throw;
  }
}

// A select run as a statement without rows checks its table and columns and affects
// nothing.
std::int64_t JetSession::execute(const std::string& sql) {
  const JetStatement statement = parseStatement(sql);
  switch (statement.kind) {
    case JetStatement::Kind::Select: {
      JetCursor check(currentDatabase(), statement.table, statement.columns);
      return 0;
    }
    case JetStatement::Kind::DeleteAll:
      return change([&](JetFileWriter& writer) { return writer.deleteAll(statement.table); });
    case JetStatement::Kind::Changing:
      break;
  }
  refuseStatement();
}

void JetSession::insert(const std::string& table, const std::vector<std::string>& columns,
                        const std::vector<Value>& values) {
  change([&](JetFileWriter& writer) {
    writer.insert(table, columns, values);
    return 0;
  });
}

void JetSession::beginTransaction() {
  if (transaction_) throw EngineError("A transaction is already active on this database.");
  auto transaction = JetFileTransaction::begin(path_);
  auto writer = std::make_unique<JetFileWriter>(transaction->copyPath(), password_, path_);
  transaction_ = std::move(transaction);
  writer_ = std::move(writer);
  readerBehind_ = true;
}

void JetSession::commit() {
  if (!transaction_) throw EngineError("No transaction is active on this database.");
  try {
    writer_->flush();
    transaction_->commit([this](const std::string& copy) {
      writer_->check(copy);
      // Where an open file cannot be replaced, the readers of the old one let go now.
      if (kOpenFileBlocksReplacement) {
        if (const auto original = original_.lock()) original->pages->close();
      }
    });
  } catch (...) {
    // The transaction has discarded its copy: the file is as it was.
    endTransaction();
    throw;
  }
  endTransaction();
}

void JetSession::checkCommit() {
  if (!transaction_) throw EngineError("No transaction is active on this database.");
  writer_->flush();
  writer_->check(transaction_->copyPath());
  // In the real run, the file and its copy would each be larger by what the tables
  // before this one added: the check takes that disk space too, so that a disk the run
  // would fill fails the check as well.
  const std::uint64_t grown = transaction_->growth();
  transaction_->reserveBeyond(2 * checkedGrowth_);
  checkedGrowth_ += grown;
}

void JetSession::rollback() {
  endTransaction();
}

// Drops the writer and the copy (when not committed) and reads the file itself again.
void JetSession::endTransaction() {
  const bool hadTransaction = transaction_ != nullptr;
  writer_.reset();
  if (transaction_) {
    transaction_->rollback();  // after a commit there is nothing left to remove
    transaction_.reset();
  }
  readerBehind_ = false;
  if (hadTransaction) {
    database_ = JetDatabase::open(path_, password_);
    original_ = database_;
  }
}

}  // namespace tiermend::data::jet
