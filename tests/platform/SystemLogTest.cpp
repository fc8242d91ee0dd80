// The system log wrapper, with the C library's syslog functions replaced by recorders
// defined in this test program (a definition in the executable comes before the C
// library's), so that what would reach the log daemon is seen without one.
#include <gtest/gtest.h>
#include <syslog.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/SystemLog.h"

namespace {

struct SyslogCalls {
  std::vector<std::string> opened;  // "ident option facility"
  std::vector<std::pair<int, std::string>> messages;
  int closed = 0;
};
SyslogCalls calls;

std::string formatted(const char* format, va_list arguments) {
  char text[1024];
  std::vsnprintf(text, sizeof text, format, arguments);
  return text;
}

}  // namespace

extern "C" {
void openlog(const char* ident, int option, int facility) {
  calls.opened.push_back(std::string(ident) + " " + std::to_string(option) + " " +
                         std::to_string(facility));
}
void closelog() {
  ++calls.closed;
}
void syslog(int priority, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  calls.messages.emplace_back(priority, formatted(format, arguments));
  va_end(arguments);
}
// What syslog() becomes where the build fortifies the C library's calls.
void __syslog_chk(int priority, int, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  calls.messages.emplace_back(priority, formatted(format, arguments));
  va_end(arguments);
}
}

namespace tiermend {
namespace {

TEST(SystemLog, OpensAsTiermendWritesEachLineAtItsPriorityAndCloses) {
  calls = {};
  {
    SystemLog log;
    EXPECT_EQ(calls.opened, std::vector<std::string>{"tiermend " + std::to_string(LOG_PID) + " " +
                                                     std::to_string(LOG_USER)});
    log.write(LogSink::Level::Info, "labor: 38 rows, was 40");
    log.write(LogSink::Level::Notice, "completed");
    // A line is text, never a format: these would print garbage or crash as one.
    log.write(LogSink::Level::Error, "failed: 100% %s %n done");
    EXPECT_EQ(calls.closed, 0);
  }
  EXPECT_EQ(calls.closed, 1);
  EXPECT_EQ(calls.messages, (std::vector<std::pair<int, std::string>>{
                                {LOG_INFO, "labor: 38 rows, was 40"},
                                {LOG_NOTICE, "completed"},
                                {LOG_ERR, "failed: 100% %s %n done"},
                            }));
}

}  // namespace
}  // namespace tiermend
