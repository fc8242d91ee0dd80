// The system log on Linux, against a datagram socket of the test's own standing in for
// the log daemon's /dev/log: the lines as the daemon gets them, and a daemon that has
// stopped reading, whose full queue must never hold up the writer.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "platform/SystemLog.h"
#include "tests/support/TempFolder.h"

namespace tiermend {
namespace {

// A datagram socket bound at a path, read only when the test says so.
class FakeDaemon {
 public:
  explicit FakeDaemon(const std::string& path) : path_(path) {
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      ADD_FAILURE() << "cannot bind " << path << ": " << std::strerror(errno);
    }
  }
  ~FakeDaemon() {
    close(fd_);
    unlink(path_.c_str());
  }
  // Everything queued so far, without waiting.
  std::vector<std::string> received() {
    std::vector<std::string> lines;
    char buffer[8192];
    ssize_t got;
    while ((got = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) >= 0) {
      lines.emplace_back(buffer, static_cast<size_t>(got));
    }
    return lines;
  }

 private:
  std::string path_;
  int fd_ = -1;
};

std::string expectedHead(int priority) {
  return "<" + std::to_string(LOG_USER | priority) +
         ">[A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d tiermend\\[" + std::to_string(getpid()) +
         "\\]: ";
}

TEST(SystemLog, SendsEachLineFramedAsSyslogDoesAtItsPriority) {
  testing::TempFolder folder;
  FakeDaemon daemon(folder.file("log"));
  {
    SystemLog log(folder.file("log"));
    log.write(LogSink::Level::Info, "labor: 38 rows, was 40");
    log.write(LogSink::Level::Notice, "completed");
    // A line is text, never a format: these would print garbage or crash as one.
    log.write(LogSink::Level::Error, "failed: 100% %s %n done");
    EXPECT_EQ(log.dropped(), 0u);
  }
  const std::vector<std::string> lines = daemon.received();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(
      std::regex_match(lines[0], std::regex(expectedHead(LOG_INFO) + "labor: 38 rows, was 40")))
      << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(expectedHead(LOG_NOTICE) + "completed")))
      << lines[1];
  EXPECT_TRUE(
      std::regex_match(lines[2], std::regex(expectedHead(LOG_ERR) + "failed: 100% %s %n done")))
      << lines[2];
}

// The daemon reads the stamp by its English month name, under any locale.
TEST(SystemLog, TheStampIsInEnglishWhateverTheLocale) {
  const char* previous = std::setlocale(LC_TIME, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_TIME, "zh_TW.UTF-8")) GTEST_SKIP() << "no zh_TW.UTF-8 locale here";
  testing::TempFolder folder;
  FakeDaemon daemon(folder.file("log"));
  {
    SystemLog log(folder.file("log"));
    log.write(LogSink::Level::Info, "started");
  }
  std::setlocale(LC_TIME, saved.c_str());
  const std::vector<std::string> lines = daemon.received();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(expectedHead(LOG_INFO) + "started")))
      << lines[0];
}

TEST(SystemLog, ADaemonThatStopsReadingNeverHoldsUpTheWriterAndLostLinesAreCounted) {
  testing::TempFolder folder;
  FakeDaemon daemon(folder.file("log"));
  constexpr size_t kLines = 3000;
  const std::string line(400, 'x');
  size_t dropped = 0;
  {
    SystemLog log(folder.file("log"));
    // Far more than the socket's queue holds: syslog(3) would block here for good.
    for (size_t i = 0; i < kLines; ++i) log.write(LogSink::Level::Info, line);
    dropped = log.dropped();
    EXPECT_GT(dropped, 0u);
    EXPECT_LT(dropped, kLines);
    // The daemon reads again: what was queued arrives, and later lines go through.
    EXPECT_EQ(daemon.received().size(), kLines - dropped);
    log.write(LogSink::Level::Notice, "completed");
    EXPECT_EQ(log.dropped(), dropped);
    const std::vector<std::string> after = daemon.received();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(after[0].ends_with("]: completed")) << after[0];
  }
  // On closing, the log says how many lines it lost.
  const std::vector<std::string> last = daemon.received();
  ASSERT_EQ(last.size(), 1u);
  EXPECT_TRUE(last[0].ends_with("]: " + std::to_string(dropped) +
                                " line(s) of this record could not be logged"))
      << last[0];
}

TEST(SystemLog, NoDaemonLosesTheLinesQuietlyAndOneThatComesBackGetsTheRest) {
  testing::TempFolder folder;
  SystemLog log(folder.file("log"));
  log.write(LogSink::Level::Info, "started");
  EXPECT_EQ(log.dropped(), 1u);
  {
    FakeDaemon daemon(folder.file("log"));
    log.write(LogSink::Level::Notice, "completed");
    EXPECT_EQ(log.dropped(), 1u);
    ASSERT_EQ(daemon.received().size(), 1u);
  }
  // The daemon restarts on a new socket at the same path: the log connects again.
  FakeDaemon restarted(folder.file("log"));
  log.write(LogSink::Level::Info, "again");
  EXPECT_EQ(log.dropped(), 1u);
  EXPECT_EQ(restarted.received().size(), 1u);
}

}  // namespace
}  // namespace tiermend
