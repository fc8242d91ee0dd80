// The system log: where the tool leaves a record of every run, so that an
// administrator can see afterwards what an unattended run did (journald or any
// syslog daemon picks it up). The record goes through a LogSink, so that the lines
// can be read back in tests without a log daemon.
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

// Writes through syslog(3), tagged "tiermend" with the process id, to the user
// facility. The log is opened on construction and closed on destruction; only one
// may exist at a time, as syslog(3) keeps one log per process.
class SystemLog : public LogSink {
 public:
  SystemLog();
  ~SystemLog() override;
  SystemLog(const SystemLog&) = delete;
  SystemLog& operator=(const SystemLog&) = delete;

  void write(Level level, const std::string& line) override;
};

}  // namespace tiermend
