// The run without a window, in process: what it prints, the exit status it gives, the
// record it leaves in the log, and what a check leaves in the target. The target is a
// SQLite file, the update package the real Access package.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/ConsoleRun.h"
#include "platform/Interruption.h"
#include "tests/data/sqlite/SqliteTestFiles.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/WorkingFolder.h"

namespace tiermend::app {
namespace {

namespace fs = std::filesystem;
using testing::RecordingLog;
using testing::SqliteFile;
using Level = LogSink::Level;

constexpr const char* kPassword = "Pw-s3cret";

class ConsoleRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(fs::path(TIERMEND_FIXTURES) / "tiermenddb.mdb", dir_ / "tiermenddb.mdb");
    makeTarget();
    std::ofstream(dir_ / "Link.txt")
        << "2,S,B,U," << kPassword << ",R," << dir_.string() << "/,\r\n";
  }

  // The target with last year's rows, made afresh.
  void makeTarget() {
    fs::remove(target());
    SqliteFile(target()).exec(testing::bracketTablesSql() + R"(
INSERT INTO health_insu VALUES (1, 100, 1, 2, 3, 4, 5, 6), (2, 200, 1, 2, 3, 4, 5, 6);
INSERT INTO labor VALUES (1, 100, 1, 2, 3, 4, 'old'), (2, 200, 1, 2, 3, 4, NULL),
  (3, 300, 1, 2, 3, 4, 'old');
INSERT INTO incom_rep VALUES (0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
INSERT INTO retire VALUES (1, 1, 1, 2, 2), (1, 2, 3, 4, 4), (1, 3, 5, 6, 6), (1, 4, 7, 8, 8);
)");
  }

  std::string target() const { return (dir_ / "basedb.mdb").string(); }

  int run(ConsoleRun::Mode mode, unsigned codePage = CodePage::kUtf8) {
    ConsoleRun console(mode, {CodePage(codePage), RegionalSettings{}}, log_, out_, err_);
    return console.run();
  }

  // Every row of the four tables, to compare before and after.
  std::vector<std::vector<std::string>> contents() {
    SqliteFile file(target());
    return file.rows(
        "select 'h', * from health_insu union all select 'l', grade, insured_salary, "
        "worker_share, employer_share, ei_worker, ei_employer, note, 0 from labor union all "
        "select 'i', salary_from, salary_to, dep0, dep1, dep2, dep3, dep4, dep5 from incom_rep "
        "union all select 'r', *, 0, 0, 0 from retire");
  }

  std::vector<std::string> logText() const {
    std::vector<std::string> text;
    for (const auto& [level, line] : log_.lines) text.push_back(line);
    return text;
  }

  void expectNoPasswordLogged() const {
    for (const auto& [level, line] : log_.lines) EXPECT_EQ(line.find(kPassword), line.npos) << line;
  }

  testing::WorkingFolder folder_;
  fs::path dir_ = folder_.path();
  RecordingLog log_;
  std::ostringstream out_, err_;
};

TEST_F(ConsoleRunTest, ARefreshPrintsTheCompletionMessageAndLogsEachTable) {
  EXPECT_EQ(run(ConsoleRun::Mode::Refresh), 0);
  EXPECT_EQ(out_.str(), "更新完成.\n");
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(logText(), (std::vector<std::string>{
                           "started in " + dir_.string(),
                           "health_insu: 50 rows, was 2",
                           "labor: 38 rows, was 3",
                           "incom_rep: 151 rows, was 1",
                           "retire: 62 rows, was 4",
                           "completed",
                       }));
  EXPECT_EQ(log_.lines.back().first, Level::Notice);
  EXPECT_EQ(SqliteFile(target()).rows("select count(*) from labor")[0][0], "38");
  expectNoPasswordLogged();
}

// The working folder's name is logged as the system gives it, whatever the code page
// of Link.txt: a folder named in Chinese under code page 950 reads as itself.
TEST_F(ConsoleRunTest, AWorkingFolderNamedInChineseIsLoggedAsItIs) {
  const fs::path named = dir_ / "薪資 許功蓋";
  fs::create_directory(named);
  fs::rename(dir_ / "tiermenddb.mdb", named / "tiermenddb.mdb");
  fs::rename(target(), named / "basedb.mdb");
  fs::current_path(named);
  // Link.txt in code page 950, naming the folder the target is in.
  std::ofstream(named / "Link.txt")
      << "2,S,B,U,P,R," << dir_.string() << "/\xC1\x7E\xB8\xEA \xB3\x5C\xA5\x5C\xBB\x5C/,\r\n";
  EXPECT_EQ(run(ConsoleRun::Mode::Refresh, 950), 0);
  EXPECT_EQ(out_.str(), "\xA7\xF3\xB7\x73\xA7\xB9\xA6\xA8.\n");
  ASSERT_FALSE(log_.lines.empty());
  EXPECT_EQ(log_.lines.front().second, "started in " + named.string());
  EXPECT_EQ(SqliteFile((named / "basedb.mdb").string()).rows("select count(*) from labor")[0][0],
            "38");
}

TEST_F(ConsoleRunTest, AFailurePrintsTheErrorBoxTextAndLogsIt) {
  SqliteFile(target()).exec("ALTER TABLE labor DROP COLUMN note");
  EXPECT_EQ(run(ConsoleRun::Mode::Refresh), 1);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(err_.str(), "List index out of bounds (6)\n");
  EXPECT_EQ(logText(), (std::vector<std::string>{
                           "started in " + dir_.string(),
                           "health_insu: 50 rows, was 2",
                           "failed: List index out of bounds (6)",
                       }));
  EXPECT_EQ(log_.lines.back().first, Level::Error);
}

// A request to stop (SIGTERM) that comes while the run waits for another program's lock
// on the target: the wait ends, the table keeps its old rows, and the run says so.
TEST_F(ConsoleRunTest, ARequestToStopEndsTheRunAsTheSignalWould) {
  const auto before = contents();
  SqliteFile holder(target());
  holder.exec("BEGIN EXCLUSIVE");
  std::thread requester([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    noteInterruption(SIGTERM);
  });
  const int status = run(ConsoleRun::Mode::Refresh);
  requester.join();
  forgetInterruption();
  holder.exec("ROLLBACK");
  EXPECT_EQ(status, 128 + SIGTERM);
  EXPECT_EQ(out_.str(), "");
  const std::string message =
      "The run was interrupted (SIGTERM); the table being refreshed keeps its old rows";
  EXPECT_EQ(err_.str(), message + ".\n");
  EXPECT_EQ(logText(),
            (std::vector<std::string>{"started in " + dir_.string(), "failed: " + message}));
  EXPECT_EQ(contents(), before);
}

TEST_F(ConsoleRunTest, ACheckPrintsTheCountsAndLeavesEveryTableAsItWas) {
  const auto before = contents();
  EXPECT_EQ(run(ConsoleRun::Mode::Check), 0);
  EXPECT_EQ(out_.str(),
            "health_insu: 2 rows → 50\nlabor: 3 rows → 38\nincom_rep: 1 row → 151\n"
            "retire: 4 rows → 62\n");
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(contents(), before);
  EXPECT_EQ(logText(), (std::vector<std::string>{
                           "check: started in " + dir_.string(),
                           "check: health_insu: 50 rows, was 2 (rolled back)",
                           "check: labor: 38 rows, was 3 (rolled back)",
                           "check: incom_rep: 151 rows, was 1 (rolled back)",
                           "check: retire: 62 rows, was 4 (rolled back)",
                           "check: passed, nothing changed",
                       }));
  expectNoPasswordLogged();
}

TEST_F(ConsoleRunTest, ACheckThatFailsReportsAsTheRunWouldAndChangesNothing) {
  // The last table refuses a row: a failure the run only meets at its last step.
  SqliteFile(target()).exec(
      "CREATE TRIGGER no_big_wage BEFORE INSERT ON retire WHEN NEW.wage_to > 100000 "
      "BEGIN SELECT RAISE(ABORT, 'wage too high'); END");
  const auto before = contents();
  EXPECT_EQ(run(ConsoleRun::Mode::Check), 1);
  const std::string checkErr = err_.str();
  EXPECT_EQ(contents(), before);
  EXPECT_EQ(out_.str(), "health_insu: 2 rows → 50\nlabor: 3 rows → 38\nincom_rep: 1 row → 151\n");
  EXPECT_EQ(logText().back(), "check: failed: wage too high");

  err_.str("");
  EXPECT_EQ(run(ConsoleRun::Mode::Refresh), 1);
  EXPECT_EQ(err_.str(), checkErr);
  EXPECT_EQ(checkErr, "wage too high.\n");
}

// The completion message and the check's arrow in the locale's encoding.
TEST_F(ConsoleRunTest, TextComesInTheLocalesEncoding) {
  struct Case {
    unsigned codePage;
    std::string completion;
    std::string firstCheckLine;
  };
  const std::vector<Case> cases = {
      {65001, "更新完成.\n", "health_insu: 2 rows → 50\n"},
      {950, "\xA7\xF3\xB7\x73\xA7\xB9\xA6\xA8.\n", "health_insu: 2 rows \xA1\xF7 50\n"},
      // A code page without an arrow: "->"; without the characters: the default "?".
      {1252, "????.\n", "health_insu: 2 rows -> 50\n"},
  };
  for (const Case& c : cases) {
    out_.str("");
    EXPECT_EQ(run(ConsoleRun::Mode::Check, c.codePage), 0);
    EXPECT_EQ(out_.str().substr(0, out_.str().find('\n') + 1), c.firstCheckLine) << c.codePage;
    out_.str("");
    EXPECT_EQ(run(ConsoleRun::Mode::Refresh, c.codePage), 0);
    EXPECT_EQ(out_.str(), c.completion) << c.codePage;
    // Back to the old rows, so that the next case's check sees them again.
    makeTarget();
  }
}

}  // namespace
}  // namespace tiermend::app
