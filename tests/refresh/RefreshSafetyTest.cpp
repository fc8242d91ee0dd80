// The refresh chain when something outside the tool gets in its way: a target that
// another program holds locked (briefly or for good), a target that cannot grow, and an
// update package that is damaged. The table that meets the trouble keeps its old rows,
// the user is told why, and nothing hangs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "ChainHost.h"
#include "ToolRun.h"
#include "data/LockWait.h"
#include "tests/data/jet/DamagedPackages.h"
#include "tests/data/sqlite/SqliteLockHolder.h"
#include "tests/data/sqlite/SqliteTestFiles.h"
#include "tests/support/FailureText.h"
#include "tests/support/WorkingFolder.h"

namespace tiermend::refresh {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using namespace testing;

std::string oldRows() {
  return testing::bracketTablesSql() + R"(
INSERT INTO health_insu VALUES (1, 100, 1, 2, 3, 4, 5, 6);
INSERT INTO labor VALUES (1, 100, 1, 2, 3, 4, 'old');
INSERT INTO incom_rep VALUES (0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
INSERT INTO retire VALUES (1, 1, 1, 2, 2);
)";
}

class RefreshSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(std::string(TIERMEND_FIXTURES) + "/tiermenddb.mdb", package());
    // Some tests damage the copy; the fixture itself is read-only.
    fs::permissions(package(), fs::perms::owner_write, fs::perm_options::add);
    SqliteFile(target()).exec(oldRows());
    std::ofstream(dir_ / "Link.txt") << "2,S,B,U,P,R," + dir_.string() + "/,\r\n";
  }

  std::string target() const { return (dir_ / "basedb.mdb").string(); }
  std::string package() const { return (dir_ / "tiermenddb.mdb").string(); }
  std::string count(const std::string& table) {
    return SqliteFile(target()).value("select count(*) from " + table);
  }
  // The row counts of the four tables, "health_insu/labor/incom_rep/retire".
  std::string counts() {
    return count("health_insu") + "/" + count("labor") + "/" + count("incom_rep") + "/" +
           count("retire");
  }

  // Runs the chain from the first table on connections of the test's own, after
  // prepare has had the open target connection.
  std::optional<std::string> runChain(const std::function<void(data::Rowset&)>& prepare) {
    const data::TextSettings settings{CodePage(65001), RegionalSettings{}};
    data::Connection adoc1("ADOC1", settings), adoc2("ADOC2", settings);
    adoc1.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + package());
    adoc2.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + target());
    data::Rowset adoq1("ADOQ1", adoc1), adoq2("ADOQ2", adoc2);
    prepare(adoq2);
    ChainHost host(adoq2, adoq1);
    return ::tiermend::testing::failureTextOf<Exception>([&] { host.invokeButtonAction(0); });
  }

  // Runs the tool while another connection holds the target as `hold` says, and checks
  // that the run waited once, the connect at start-up included, then stopped with the
  // file in use and every table's old rows kept.
  void expectStoppedAfterOneWait(SqliteLockHolder::Hold hold) {
    const data::TextSettings utf8{CodePage(65001), RegionalSettings{}};
    ToolRun run;
    const auto start = Clock::now();
    {
      SqliteLockHolder holder(target(), hold);
      run = runTool(utf8);
    }
    const auto waited = Clock::now() - start;
    EXPECT_EQ(run.failure, data::fileInUseMessage(target()));
    EXPECT_GE(waited, std::chrono::seconds(data::kLockWaitSeconds - 1));
    EXPECT_LT(waited, std::chrono::seconds(data::kLockWaitSeconds + 10));
    EXPECT_FALSE(run.completionShown);
    EXPECT_TRUE(run.buttonsDisabled);
    EXPECT_EQ(counts(), "1/1/1/1");
  }

  ::tiermend::testing::WorkingFolder folder_;
  fs::path dir_ = folder_.path();
};

const data::TextSettings kUtf8{CodePage(65001), RegionalSettings{}};

TEST_F(RefreshSafety, ATargetLockedForASecondIsWaitedForAndRefreshed) {
  ToolRun run;
  {
    SqliteLockHolder holder(target(), 1000ms);
    run = runTool(kUtf8);
  }
  EXPECT_EQ(run.failure, std::nullopt);
  EXPECT_TRUE(run.completionShown);
  EXPECT_EQ(counts(), "50/38/151/62");
}

TEST_F(RefreshSafety, ATargetLockedForGoodStopsTheChainAfterTheWaitAndKeepsTheOldRows) {
  expectStoppedAfterOneWait(SqliteLockHolder::Hold::Write);
}

// Held so that nobody may even read it (BEGIN EXCLUSIVE): the connect at start-up
// cannot read the file either, and must not add a wait of its own.
TEST_F(RefreshSafety, ATargetHeldExclusivelyStopsTheChainAfterOneWait) {
  expectStoppedAfterOneWait(SqliteLockHolder::Hold::Exclusive);
}

TEST_F(RefreshSafety, ATargetThatCannotGrowStopsTheChainAndKeepsThatTable) {
  const std::string pages = SqliteFile(target()).value("PRAGMA page_count");
  const auto failure = runChain([&](data::Rowset& target) {
    target.addSql("PRAGMA max_page_count = " + pages);
    target.execSql();
  });
  EXPECT_EQ(failure, data::fileFullMessage(target()));
  // Each table sits on a page of its own: the first one that needs another page fails.
  EXPECT_EQ(SqliteFile(target()).value("select count(*) from incom_rep"), "1");
  EXPECT_EQ(SqliteFile(target()).value("select count(*) from retire"), "1");
}

TEST_F(RefreshSafety, ADamagedIncomRepStopsTheChainAndKeepsItsOldRows) {
  const auto pages = testing::pagesOfTable(package(), "incom_rep");
  testing::setPageRowCount(package(), pages.dataPages.at(0), 1000);
  const ToolRun run = runTool(kUtf8);
  EXPECT_EQ(run.failure,
            "The table 'incom_rep' in '" + package() + "' is damaged: the rows of page " +
                std::to_string(pages.dataPages.at(0)) + " lie outside the page or overlap");
  EXPECT_FALSE(run.completionShown);
  EXPECT_EQ(counts(), "50/38/1/1");
}

TEST_F(RefreshSafety, ADamagedPageMapOfRetireIsReportedAndRetireKeepsItsOldRows) {
  testing::setPageMapByte(package(), "retire", 5, 0x80);
  const ToolRun run = runTool(kUtf8);
  EXPECT_EQ(run.failure, "The table 'retire' in '" + package() +
                             "' is damaged: its page map names map page 128, beyond the end of "
                             "the file");
  EXPECT_FALSE(run.completionShown);
  EXPECT_EQ(counts(), "50/38/151/1");
}

}  // namespace
}  // namespace tiermend::refresh
