// kill -9 at several moments of a 4 x 100,000-row refresh into an Access target: the file
// at the path must always open, and every bracket table must hold wholly its old rows or
// wholly the new ones. A run after a killed one must finish the refresh.
//
// The 100,000-row package is the fixture bench_tiermenddb.mdb (19 MB).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "ToolRun.h"
#include "tests/support/ThreeWayRead.h"

namespace tiermend::refresh {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace testing;

const char* const kTables[] = {"health_insu", "labor", "incom_rep", "retire"};

// A digest of a table's rows as our reader reads them, in canonical text. Null text counts
// as empty text: values travel as edit text, where the two are one.
std::uint64_t tableDigest(const std::string& path, const std::string& table) {
  auto text = testing::readWithOurCursor(path, table);
  for (auto& row : text.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (text.types[c] == data::ColumnType::Text && row[c] == "\\N") row[c].clear();
    }
  }
  std::uint64_t hash = 14695981039346656037ull;
  auto add = [&](const std::string& s) {
    for (unsigned char c : s) hash = (hash ^ c) * 1099511628211ull;
    hash = (hash ^ 0xFF) * 1099511628211ull;
  };
  for (const auto& row : text.rows) {
    for (const auto& value : row) add(value);
    add("\n");
  }
  return hash;
}

class RefreshKill : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(package())) GTEST_SKIP() << "no volume package at " << package();
    char pattern[] = "/tmp/tiermend-kill-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::copy_file(package(), dir_ / "tiermenddb.mdb");
    std::ofstream(dir_ / "Link.txt") << "2,S,B,U,P,R," + dir_.string() + "/,\r\n";
    for (const char* table : kTables) {
      oldDigest_[table] = tableDigest(oldTarget(), table);
      newDigest_[table] = tableDigest(package(), table);
      ASSERT_NE(oldDigest_[table], newDigest_[table]);
    }
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  static std::string package() { return TIERMEND_VOLUME_PACKAGE; }
  static std::string oldTarget() { return std::string(TIERMEND_FIXTURES) + "/tiermenddb.mdb"; }
  std::string target() const { return (dir_ / "basedb.mdb").string(); }

  void freshTarget() {
    fs::remove(target());
    fs::copy_file(oldTarget(), target());
    fs::permissions(target(), fs::perms::owner_write, fs::perm_options::add);
  }

  // Runs the refresh in a child process; kills it after killAfter unless that is zero.
  // Returns whether the child finished with the completion message, and how long it ran.
  std::pair<bool, std::chrono::duration<double>> run(std::chrono::milliseconds killAfter) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      fs::current_path(dir_);
      const ToolRun result = runTool({CodePage(65001), RegionalSettings{}});
      if (result.failure) std::fprintf(stderr, "refresh failed: %s\n", result.failure->c_str());
      _exit(result.completionShown ? 0 : 1);
    }
    if (killAfter.count() > 0) {
      std::this_thread::sleep_for(killAfter);
      kill(pid, SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) && WEXITSTATUS(status) == 0,
            std::chrono::steady_clock::now() - start};
  }

  // Every table wholly old or wholly new, refreshed in their order; returns how many are new.
  int checkWhole() {
    int fresh = 0;
    bool oldSeen = false;
    for (const char* table : kTables) {
      SCOPED_TRACE(table);
      std::uint64_t digest = 0;
      EXPECT_NO_THROW(digest = tableDigest(target(), table));
      const bool isNew = digest == newDigest_[table];
      EXPECT_TRUE(isNew || digest == oldDigest_[table]) << "neither the old nor the new rows";
      EXPECT_FALSE(isNew && oldSeen) << "refreshed out of order";
      oldSeen = oldSeen || !isNew;
      fresh += isNew;
    }
    return fresh;
  }

  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const auto name = entry.path().filename().string();
      if (name != "basedb.mdb" && name != "tiermenddb.mdb" && name != "Link.txt" &&
          name != "basedb.ldb") {
        names.push_back(name);
      }
    }
    return names;
  }

  fs::path dir_;
  std::map<std::string, std::uint64_t> oldDigest_, newDigest_;
};

TEST_F(RefreshKill, EveryTableIsWhollyOldOrWhollyNewAfterAKillAtAnyMoment) {
  freshTarget();
  const auto [completed, duration] = run(0ms);
  ASSERT_TRUE(completed) << "the uninterrupted refresh failed";
  EXPECT_EQ(checkWhole(), 4);
  for (const char* table : kTables) {
    EXPECT_EQ(testing::threeWayDifference(target(), table), "") << table;
  }

  // Each run starts where the killed one before it left the file, copies and lock file
  // included.
  freshTarget();
  for (const double moment : {0.1, 0.35, 0.6, 0.85, 0.97}) {
    SCOPED_TRACE("killed at " + std::to_string(moment));
    run(std::chrono::duration_cast<std::chrono::milliseconds>(duration * moment));
    const int fresh = checkWhole();
    std::printf("killed at %.0f%% of %.1f s: %d of 4 tables new, %zu leftover files\n",
                moment * 100, duration.count(), fresh, leftovers().size());
  }
  EXPECT_TRUE(run(0ms).first);
  EXPECT_EQ(checkWhole(), 4);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

}  // namespace
}  // namespace tiermend::refresh
