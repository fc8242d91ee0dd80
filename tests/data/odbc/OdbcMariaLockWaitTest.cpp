// A MariaDB table that another session holds: a row lock and a table lock (LOCK TABLES
// ... WRITE) each end the wait with the message that names the table, and the failed
// transaction leaves the table's rows as they were. The held locks are tested with a
// short wait; the tool's own wait is checked on a session's settings.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "data/ConnectionString.h"
#include "data/EngineError.h"
#include "data/LockWait.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "tests/data/odbc/LaborRefresh.h"
#include "tests/support/MariaTestDataSource.h"

namespace tiermend::data::odbc {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kShortWaitSeconds = 2;

class OdbcMariaLockWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    maria.sql(
        "CREATE TABLE labor (grade integer PRIMARY KEY, note varchar(20)) ENGINE=InnoDB;"
        "INSERT INTO labor VALUES (1, 'old');");
  }

  std::unique_ptr<Session> open(int lockWaitSeconds = kLockWaitSeconds) {
    return openSessionWithLockWait(ConnectionString::parse(maria.oleDbConnectionString()),
                                   lockWaitSeconds);
  }

  // What a refresh does to the table, in one transaction; the failure's text, or empty.
  static std::string replaceRows(Session& session) {
    try {
      testing::replaceLaborRows(session);
      return {};
    } catch (const EngineError& error) {
      return error.what();
    }
  }

  // Holds the lock `hold` takes, runs a refresh with the short wait, and checks that
  // it ends with the table in use, after the wait and not long after.
  void expectInUseWhileHeld(const std::function<void(Session&)>& hold) {
    auto holder = open();
    hold(*holder);
    auto session = open(kShortWaitSeconds);
    const auto start = Clock::now();
    EXPECT_EQ(replaceRows(*session), tableInUseMessage("labor"));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(kShortWaitSeconds * 1000 - 100));
    EXPECT_LT(waited, std::chrono::seconds(kShortWaitSeconds + 10));
    holder.reset();  // ends the holder's session, and with it its locks
    EXPECT_EQ(maria.sql("SELECT grade, note FROM labor"), "1|old\n");
    // The session is usable again once the lock is gone.
    EXPECT_EQ(replaceRows(*session), "");
    EXPECT_EQ(maria.sql("SELECT grade, note FROM labor"), "2|new\n");
  }

  testing::MariaTestDataSource maria;
};

TEST_F(OdbcMariaLockWaitTest, SessionsWaitTheToolsBoundForRowAndTableLocks) {
  auto session = open();
  auto cursor = session->query("SELECT @@innodb_lock_wait_timeout, @@lock_wait_timeout");
  ASSERT_NE(cursor, nullptr);
  std::vector<Value> row;
  ASSERT_TRUE(cursor->fetch(row));
  ASSERT_EQ(row.size(), 2u);
  EXPECT_EQ(row[0], Value{std::int64_t{kLockWaitSeconds}});
  EXPECT_EQ(row[1], Value{std::int64_t{kLockWaitSeconds}});
}

TEST_F(OdbcMariaLockWaitTest, ARowLockedByAnotherSessionEndsTheWaitNamingTheTable) {
  expectInUseWhileHeld([](Session& holder) {
    holder.beginTransaction();
    holder.execute("UPDATE labor SET note = 'held' WHERE grade = 1");
  });
}

TEST_F(OdbcMariaLockWaitTest, ATableLockedByAnotherSessionEndsTheWaitNamingTheTable) {
  expectInUseWhileHeld([](Session& holder) { holder.execute("LOCK TABLES labor WRITE"); });
}

}  // namespace
}  // namespace tiermend::data::odbc
