// A PostgreSQL table that another session holds locked: a short lock is waited for, a
// lock held past the wait ends in a message that names the table, and the failed
// transaction leaves the table's rows as they were. The held lock is tested with a
// short wait; the tool's own wait is checked on the settings it sends.
#include <chrono>
#include <thread>

#include "data/LockWait.h"
#include "tests/data/odbc/LaborRefresh.h"
#include "tests/data/odbc/OdbcPostgresFixture.h"

namespace tiermend::data::odbc {
namespace {

using testing::OdbcPostgresTest;
using testing::replaceLaborRows;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class OdbcPostgresLockWaitTest : public OdbcPostgresTest {
 protected:
  void SetUp() override {
    pg.psql("CREATE TABLE labor (grade integer, note text); INSERT INTO labor VALUES (1, 'old')");
    holder_ = open();
    holder_->beginTransaction();
    holder_->execute("LOCK TABLE labor IN ACCESS EXCLUSIVE MODE");
  }
  void TearDown() override {
    if (releaser_.joinable()) releaser_.join();
  }

  void releaseAfter(std::chrono::milliseconds delay) {
    releaser_ = std::thread([this, delay] {
      std::this_thread::sleep_for(delay);
      holder_->commit();
    });
  }

  std::unique_ptr<Session> holder_;
  std::thread releaser_;
};

TEST_F(OdbcPostgresLockWaitTest, ATableLockedForASecondIsWaitedFor) {
  auto session = open();
  const auto start = Clock::now();
  releaseAfter(1000ms);
  replaceLaborRows(*session);
  EXPECT_GE(Clock::now() - start, 900ms);
  EXPECT_EQ(pg.psql("SELECT note FROM labor"), "new\n");
}

TEST_F(OdbcPostgresLockWaitTest, ATableLockedForGoodEndsTheWaitWithAMessageNamingIt) {
  constexpr int kShortWaitSeconds = 2;
  auto session = openSessionWithLockWait(
      ConnectionString::parse(pg.oleDbConnectionString("postgres")), kShortWaitSeconds);
  const auto start = Clock::now();
  EXPECT_EQ(engineMessage([&] { replaceLaborRows(*session); }), tableInUseMessage("labor"));
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(kShortWaitSeconds * 1000 - 100));
  EXPECT_LT(waited, std::chrono::seconds(kShortWaitSeconds + 20));
  holder_->commit();
  EXPECT_EQ(pg.psql("SELECT note FROM labor"), "old\n");
  // The session is usable again once the lock is gone.
  replaceLaborRows(*session);
  EXPECT_EQ(pg.psql("SELECT note FROM labor"), "new\n");
}

}  // namespace
}  // namespace tiermend::data::odbc
