// Writing the run's record to the Windows Application event log, source tiermend
// (registered by the installer, which names the program's message table as the source's
// messages; an unregistered source still logs, under its name).
#include "platform/SystemLog.h"

#include <windows.h>

#include "EventMessages.h"
#include "platform/windows/WideText.h"

namespace tiermend {
namespace {

constexpr const wchar_t* kSource = L"tiermend";
// One event number for every record, whose message is its one string: the line itself
// says what happened.
constexpr DWORD kRunRecordEvent = TIERMEND_EVENT_RUN_RECORD;

WORD eventTypeOf(LogSink::Level level) {
  switch (level) {
    case LogSink::Level::Info:
    case LogSink::Level::Notice:
      return EVENTLOG_INFORMATION_TYPE;
    case LogSink::Level::Error:
      return EVENTLOG_ERROR_TYPE;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

HANDLE sourceOf(void* handle) {
  return static_cast<HANDLE>(handle);
}

}  // namespace

SystemLog::SystemLog() : handle_(RegisterEventSourceW(nullptr, kSource)) {}

// The event log has no address to choose: the same log as SystemLog().
SystemLog::SystemLog(const std::string&) : SystemLog() {}

SystemLog::~SystemLog() {
  if (handle_) DeregisterEventSource(sourceOf(handle_));
}

// A record that cannot be written is dropped: the log never stops a run.
void SystemLog::write(Level level, const std::string& line) {
  if (!handle_) {
    ++dropped_;
    return;
  }
  const std::wstring text = wideFromUtf8(line);
  const wchar_t* strings[] = {text.c_str()};
  if (!ReportEventW(sourceOf(handle_), eventTypeOf(level), 0, kRunRecordEvent, nullptr, 1, 0,
                    strings, nullptr)) {
    ++dropped_;
  }
}

}  // namespace tiermend
