// The Windows window run: the application's title and hidden window, the component
// object runtime around the main window's life, the show command the process was
// started with, the message loop, and the reports of failures.
#include "app/win32/Application.h"

#include <memory>

#include "app/AppTitle.h"
#include "app/CompletionMessage.h"
#include "app/FailureReport.h"
#include "app/win32/ComApartment.h"
#include "app/win32/ErrorBox.h"
#include "app/win32/LastResort.h"
#include "app/win32/MessageDialog.h"
#include "app/win32/Tiermend1.h"
#include "platform/Process.h"

namespace tiermend::app {

std::string applicationTitle(const CodePage& codePage) {
  std::string path = executablePath();
  OemToCharBuffA(path.data(), path.data(), static_cast<DWORD>(path.size()));
  return titleFromExecutablePath(path, codePage);
}

Application::Application(LogSink& log)
    : title_(applicationTitle(CodePage::fromProcessLocale())),
      settings_{CodePage::fromProcessLocale(), RegionalSettings::fromProcessLocale()},
      record_(log, settings_.codePage),
      window_(title_) {}

Application::~Application() = default;

int Application::run() {
  record_.started();
  ComApartment com;
  auto window = std::make_unique<TTiermendFm1>(*this, settings_, window_.handle());
  try {
    window->FormCreate();
  } catch (...) {
    reportCurrentFailure();
  }
  showMainWindow(*window);
  runMessageLoop(*window);
  window.reset();
  return 0;
}

// Maximised or minimised when the process was started so; else at its designed place.
// Minimised without activation, the window goes to the task bar as it is, not shown
// on the screen.
void Application::showMainWindow(TTiermendFm1& window) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const bool given = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0;
  int command = SW_SHOWNORMAL;
  if (given && startup.wShowWindow == SW_SHOWMAXIMIZED) command = SW_SHOWMAXIMIZED;
  if (given && startup.wShowWindow == SW_SHOWMINNOACTIVE) command = SW_SHOWMINNOACTIVE;
  ShowWindow(window.handle(), command);
  if (command != SW_SHOWMINNOACTIVE) {
    SetForegroundWindow(window.handle());
    if (HWND first = GetNextDlgTabItem(window.handle(), nullptr, FALSE)) SetFocus(first);
  }
}

void Application::runMessageLoop(TTiermendFm1& window) {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;  // the quit request (or a loop that cannot go on)
    try {
      if (window.handleDialogKey(message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } catch (...) {
      reportCurrentFailure();
    }
  }
}

void Application::reportCurrentFailure() {
  const FailureNotice notice = recordCurrentFailure(record_, settings_.codePage);
  if (notice.form == FailureNotice::Form::Nothing) return;
  // The tool's own failures show their message; anything else the last-resort text,
  // in the same box, and the run goes on.
  showErrorBox(window_.handle(), title_, notice.text);
}

void Application::showCompletionMessage() {
  record_.completed();
  // The message is held as its Big5 bytes and handed to the system as they are: it
  // reads correctly where the ANSI code page is 950.
  MessageDialog dialog(window_.handle(), title_, std::string(kCompletionMessage),
                       [this] { reportCurrentFailure(); });
  dialog.showModal();
}

void Application::endRun() {
  PostQuitMessage(0);
}

void Application::recordTable(int index, const refresh::TableCounts& counts) {
  record_.tableDone(index, counts);
}

int Application::reportLastResort() {
  record_.failed(describeCurrentException().message);
  return app::reportLastResort();
}

}  // namespace tiermend::app
