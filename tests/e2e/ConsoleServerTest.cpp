// The real program without a display against a server target: Link.txt of kind "1"
// naming an ODBC data source on a private PostgreSQL or MariaDB server (the data
// source's ini files reach the program through ODBCINI and ODBCSYSINI, which the test
// server sets). --check must leave every row where it was and end as the real run does.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/TestServer.h"
#include "tests/support/WorkingFolder.h"

namespace tiermend {
namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The bracket tables with one older row each.
std::string targetSchema() {
  return fileText(fs::path(TIERMEND_TESTDATA) / "bracket-tables-postgres.sql") + R"(
INSERT INTO health_insu VALUES (1, 100, 1, 2, 3, 4, 5, 6);
INSERT INTO labor VALUES (1, 100, 1, 2, 3, 4, '舊資料');
INSERT INTO incom_rep VALUES (0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
INSERT INTO retire VALUES (1, 1, 1, 2, 2);
)";
}

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

class ConsoleIntoServer : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    server_ = testing::makeTestServer(GetParam());
    fs::copy_file(fs::path(TIERMEND_FIXTURES) / "tiermenddb.mdb", dir_ / "tiermenddb.mdb");
    server_->sql(targetSchema());
    std::ofstream(dir_ / "Link.txt")
        << "1," << server_->dataSourceName() << "," << server_->database() << ","
        << server_->adminUser() << ", ,R,/unused/,\r\n";
  }

  // Runs the program in the working folder with no display and nothing on its input.
  ProgramRun runProgram(const std::string& arguments) {
    const fs::path out = aside_.path() / "out", err = aside_.path() / "err";
    const std::string command = "cd '" + dir_.string() +
                                "' && env -u DISPLAY -u WAYLAND_DISPLAY timeout 120 '" +
                                TIERMEND_PROGRAM + "' " + arguments + " </dev/null >'" +
                                out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileText(out), fileText(err)};
  }

  // Every row of the four tables, in a fixed order.
  std::string allRows() {
    return server_->sql(
        "SELECT * FROM health_insu ORDER BY grade; SELECT * FROM labor ORDER BY grade; "
        "SELECT * FROM incom_rep ORDER BY salary_from; SELECT * FROM retire ORDER BY grade;");
  }

  std::string counts() {
    return server_->sql(
        "SELECT (SELECT count(*) FROM health_insu), (SELECT count(*) FROM labor), "
        "(SELECT count(*) FROM incom_rep), (SELECT count(*) FROM retire)");
  }

  std::unique_ptr<testing::TestServer> server_;
  testing::WorkingFolder folder_;
  fs::path dir_ = folder_.path();
  testing::TempFolder aside_;
};

TEST_P(ConsoleIntoServer, CheckLeavesEveryRowAndTheRunThenRefreshes) {
  const std::string before = allRows();
  const ProgramRun check = runProgram("--check");
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_EQ(check.out,
            "health_insu: 1 row → 50\nlabor: 1 row → 38\nincom_rep: 1 row → 151\n"
            "retire: 1 row → 62\n");
  EXPECT_EQ(check.err, "");
  EXPECT_EQ(allRows(), before);

  const ProgramRun run = runProgram("");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "更新完成.\n");
  EXPECT_EQ(counts(), "50|38|151|62\n");
}

// A row the server refuses, in a table whose rows travel in batches: the check must
// send them before it rolls back, or it would pass where the run fails.
TEST_P(ConsoleIntoServer, CheckReportsTheRefusedRowAsTheRunDoes) {
  server_->sql("ALTER TABLE incom_rep ADD CHECK (salary_to < 200000)");
  const std::string before = allRows();
  const ProgramRun check = runProgram("--check");
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(check.out, "health_insu: 1 row → 50\nlabor: 1 row → 38\n");
  EXPECT_NE(check.err.find(server_->checkViolationWords()), std::string::npos) << check.err;
  EXPECT_EQ(allRows(), before);

  const ProgramRun run = runProgram("");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, check.err);
  EXPECT_EQ(counts(), "50|38|1|1\n");
}

INSTANTIATE_TEST_SUITE_P(Servers, ConsoleIntoServer, ::testing::Values("postgres", "mariadb"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace tiermend
