// run-hidden COMMAND-LINE: runs a program as the Task Scheduler runs a task set to run
// whether or not a user is logged on, or as a service runs: in a window station of its
// own that is not visible, so no one could see or answer its windows. The program gets
// this one's standard handles and working folder; run-hidden ends with its exit status
// (or 2 when it cannot start it). For the end-to-end tests under Wine.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Closes a window station or a desktop handle when it goes.
struct StationHandle {
  HWINSTA handle;
  ~StationHandle() {
    if (handle) CloseWindowStation(handle);
  }
};
struct DesktopHandle {
  HDESK handle;
  ~DesktopHandle() {
    if (handle) CloseDesktop(handle);
  }
};
struct ProcessHandles {
  PROCESS_INFORMATION info{};
  ~ProcessHandles() {
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
  }
};

// What follows the program's own name on its command line, as the system gives it.
const wchar_t* commandLineAfterOwnName() {
  const wchar_t* line = GetCommandLineW();
  const bool quoted = *line == L'"';
  if (quoted) ++line;
  while (*line && (quoted ? *line != L'"' : *line != L' ' && *line != L'\t')) ++line;
  if (quoted && *line) ++line;
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

int fail(const char* what) {
  std::fprintf(stderr, "run-hidden: %s (error %lu)\n", what, GetLastError());
  return 2;
}

}  // namespace

int main() {
  std::wstring command = commandLineAfterOwnName();
  if (command.empty()) {
    std::fprintf(stderr, "usage: run-hidden COMMAND-LINE\n");
    return 2;
  }
  // A window station made this way is not visible (only the interactive WinSta0 is).
  const std::wstring station = L"tiermend-hidden-" + std::to_wstring(GetCurrentProcessId());
  StationHandle hidden{CreateWindowStationW(station.c_str(), 0, WINSTA_ALL_ACCESS, nullptr)};
  if (!hidden.handle) return fail("cannot make a window station");
  // A desktop is made inside the process's current window station.
  HWINSTA own = GetProcessWindowStation();
  if (!SetProcessWindowStation(hidden.handle)) return fail("cannot enter the window station");
  DesktopHandle desktop{CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr)};
  SetProcessWindowStation(own);
  if (!desktop.handle) return fail("cannot make a desktop");

  std::wstring desktopName = station + L"\\Default";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktopName.data();
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  ProcessHandles process;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process.info))
    return fail("cannot start the program");
  WaitForSingleObject(process.info.hProcess, INFINITE);
  DWORD status = 2;
  GetExitCodeProcess(process.info.hProcess, &status);
  return static_cast<int>(status);
}
