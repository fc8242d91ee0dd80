// Writing the run's record to syslog(3), tag tiermend.
#include "platform/SystemLog.h"

#include <syslog.h>

namespace tiermend {
namespace {

// syslog(3) keeps this pointer, so it must outlive the open log.
constexpr const char* kTag = "tiermend";

int priorityOf(LogSink::Level level) {
  switch (level) {
    case LogSink::Level::Info:
      return LOG_INFO;
    case LogSink::Level::Notice:
      return LOG_NOTICE;
    case LogSink::Level::Error:
      return LOG_ERR;
  }
  return LOG_INFO;
}

}  // namespace

SystemLog::SystemLog() {
  openlog(kTag, LOG_PID, LOG_USER);
}

SystemLog::~SystemLog() {
  closelog();
}

void SystemLog::write(Level level, const std::string& line) {
  // The line goes as an argument, never as the format: a "%" in a message is text.
  syslog(priorityOf(level), "%s", line.c_str());
}

}  // namespace tiermend
