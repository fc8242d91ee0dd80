// The system log: where the tool leaves a record of every run, so that an
// administrator can see afterwards what an unattended run did (on Linux journald or any
// syslog daemon picks it up; on Windows the Application event log). The record goes
// through a LogSink, so that the lines can be read back in tests without a log daemon.
#pragma once

#include <string>

namespace tiermend {

class LogSink {
 public:
  enum class Level { Info, Notice, Error };
  virtual ~LogSink() = default;
  // One line of UTF-8 text, without a line end.
  virtual void write(Level level, const std::string& line) = 0;
};

// On Linux, writes through syslog(3), tagged "tiermend" with the process id, to the
// user facility; only one may exist at a time, as syslog(3) keeps one log per process.
// On Windows, reports each line as an event of the source "tiermend" (ReportEventW).
// The log is opened on construction and closed on destruction.
class SystemLog : public LogSink {
 public:
  SystemLog();
  ~SystemLog() override;
  SystemLog(const SystemLog&) = delete;
  SystemLog& operator=(const SystemLog&) = delete;

  void write(Level level, const std::string& line) override;

 private:
  [[maybe_unused]] void* handle_ = nullptr;  // the event source on Windows
};

}  // namespace tiermend
