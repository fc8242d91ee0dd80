// Another program holding a SQLite database locked: a short hold is waited for, a hold
// that lasts past the wait ends in a message naming the file; a full database says so.
// Either way the failed transaction leaves the table's rows as they were.
#include <gtest/gtest.h>

#include <chrono>

#include "data/EngineError.h"
#include "data/LockWait.h"
#include "data/providers/sqlite/SqliteProvider.h"
#include "tests/data/sqlite/SqliteLockHolder.h"
#include "tests/data/sqlite/SqliteTestFiles.h"
#include "tests/support/FailureText.h"

namespace tiermend::data::sqlite {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::failureMessageOf;
using testing::SqliteFile;
using testing::SqliteLockHolder;

class SqliteLockWaitTest : public ::testing::Test {
 protected:
  // What a refresh does to the table, in one transaction.
  void replaceRows() {
    session_->beginTransaction();
    auto cursor = session_->query("select * from t");
    cursor.reset();
    session_->execute("delete from t");
    session_->insert("t", {"n", "label"}, {Value{std::int64_t{7}}, Value{std::string("new")}});
    session_->commit();
  }

  std::string labels() { return SqliteFile(path_).value("select group_concat(label) from t"); }

  const testing::ScratchSqliteFile file_{
      "db.sqlite",
      "CREATE TABLE t (n INTEGER, label TEXT); INSERT INTO t VALUES (1, 'old'), (2, 'old');"};
  const std::string path_ = file_.path();
  std::unique_ptr<Session> session_ = openSession(path_);
};

TEST_F(SqliteLockWaitTest, AWriteLockHeldForASecondIsWaitedFor) {
  const auto start = Clock::now();
  {
    SqliteLockHolder holder(path_, 1000ms);
    replaceRows();
  }
  EXPECT_GE(Clock::now() - start, 900ms);
  EXPECT_EQ(labels(), "new");
}

TEST_F(SqliteLockWaitTest, AWriteLockHeldForGoodEndsTheWaitWithAMessage) {
  SqliteLockHolder holder(path_);
  const auto start = Clock::now();
  const std::string message = failureMessageOf<EngineError>([&] { replaceRows(); });
  const auto waited = Clock::now() - start;
  EXPECT_EQ(message, fileInUseMessage(path_));
  EXPECT_GE(waited, std::chrono::seconds(kLockWaitSeconds - 1));
  EXPECT_LT(waited, std::chrono::seconds(kLockWaitSeconds + 10));  // one wait, not a hang
}

// Opening does not wait for a file held so that nobody may even read it: the wait is
// left to the statements, so that a run waits once and not at every connect as well.
TEST_F(SqliteLockWaitTest, OpeningAFileHeldExclusivelyDoesNotWaitAndTheSessionWorksOnceFree) {
  std::unique_ptr<Session> opened;
  {
    SqliteLockHolder holder(path_, SqliteLockHolder::Hold::Exclusive);
    const auto start = Clock::now();
    opened = openSession(path_);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(kLockWaitSeconds / 2));
  }
  session_ = std::move(opened);
  replaceRows();
  EXPECT_EQ(labels(), "new");
}

TEST_F(SqliteLockWaitTest, ADatabaseThatCannotGrowSaysSoAndKeepsItsRows) {
  const std::string pages = SqliteFile(path_).value("PRAGMA page_count");
  session_->execute("PRAGMA max_page_count = " + pages);
  session_->beginTransaction();
  session_->execute("delete from t");
  const std::string wide(2000, 'x');
  const std::string message = failureMessageOf<EngineError>([&] {
    for (int i = 0; i < 100; ++i) session_->insert("t", {"label"}, {Value{wide}});
  });
  try {
    session_->rollback();
  } catch (const EngineError&) {
    // SQLite may have rolled the transaction back itself.
  }
  EXPECT_EQ(message, fileFullMessage(path_));
  EXPECT_EQ(labels(), "old,old");
}

}  // namespace
}  // namespace tiermend::data::sqlite
