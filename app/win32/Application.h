// The window run on Windows: the application with its title and hidden window, the
// main window created (running its creation handler), shown as the process was asked
// to show it, the message loop run until the quit request, and every failure that
// reaches the application shown in an error box and recorded.
#pragma once

#include <windows.h>

#include <string>

#include "app/AppShell.h"
#include "app/win32/ApplicationWindow.h"
#include "data/TextSettings.h"
#include "platform/SystemLog.h"
#include "refresh/RunRecord.h"

namespace tiermend::app {

class TTiermendFm1;

class Application : public AppShell {
 public:
  // Takes the title from the executable's file name and the code page and regional
  // settings from the process locale, and creates the hidden application window. The
  // run's record goes to log, which must outlive the application.
  explicit Application(LogSink& log);
  ~Application() override;

  // From the creation of the main window to the end of the message loop, inside the
  // component object runtime; returns the exit status, 0.
  int run();

  const std::string& title() const { return title_; }

  void reportCurrentFailure() override;
  void showCompletionMessage() override;
  void endRun() override;
  void recordTable(int index, const refresh::TableCounts& counts) override;

  // The report of a failure that nothing else caught, recorded first; call it inside a
  // catch block. Gives the exit status, 1.
  int reportLastResort();

 private:
  void showMainWindow(TTiermendFm1& window);
  void runMessageLoop(TTiermendFm1& window);

  std::string title_;
  data::TextSettings settings_;
  refresh::RunRecord record_;
  ApplicationWindow window_;
};

// The application title: the executable's file name as GetModuleFileNameA gives it,
// converted in place from the OEM to the ANSI code page, then the title rule.
std::string applicationTitle(const CodePage& codePage);

}  // namespace tiermend::app
