// The system log: where the tool leaves a record of every run, so that an
// administrator can see afterwards what an unattended run did (on Linux journald or any
// syslog daemon picks it up; on Windows the Application event log). The record goes
// through a LogSink, so that the lines can be read back in tests without a log daemon.
#pragma once

#include <cstddef>
#include <string>

namespace tiermend {

class LogSink {
 public:
  enum class Level { Info, Notice, Error };
  virtual ~LogSink() = default;
  // One line of UTF-8 text, without a line end.
  virtual void write(Level level, const std::string& line) = 0;
};

// On Linux, sends each line as syslog(3) would, tagged "tiermend" with the process id, to
// the user facility, through the local log socket (/dev/log). A record must never hold up
// a run: a log daemon that has stopped reading (its queue full) would make syslog(3)
// block for good, so the socket is nonblocking and a line that cannot be sent at once is
// dropped and counted. On Windows, reports each line as an event of the source "tiermend"
// (ReportEventW); a line the event log refuses is dropped and counted too.
// The log is opened on construction and closed on destruction.
class SystemLog : public LogSink {
 public:
  SystemLog();
  // Linux: the log socket at socketPath instead of /dev/log (tests stand in for the daemon).
  explicit SystemLog(const std::string& socketPath);
  ~SystemLog() override;
  SystemLog(const SystemLog&) = delete;
  SystemLog& operator=(const SystemLog&) = delete;

  void write(Level level, const std::string& line) override;
  // How many lines could not be sent.
  std::size_t dropped() const { return dropped_; }

 private:
  [[maybe_unused]] void* handle_ = nullptr;  // the event source on Windows
  [[maybe_unused]] int socket_ = -1;         // the log socket on Linux
  std::string address_;
  std::size_t dropped_ = 0;
};

}  // namespace tiermend
