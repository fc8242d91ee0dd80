// The application: its title, the text settings of the process locale, the run from
// the creation of the main window to the end of the message loop, and the reporting
// of failures.
#pragma once

#include <QApplication>
#include <QString>
#include <string>

#include "app/AppShell.h"
#include "data/TextSettings.h"
#include "platform/SystemLog.h"
#include "refresh/RunRecord.h"

namespace tiermend::app {

class Application : public QApplication, public AppShell {
 public:
  // Takes the title from the executable's file name and the code page and regional
  // settings from the process locale (the caller has set it). The run's record goes
  // to log, which must outlive the application.
  Application(int& argc, char** argv, LogSink& log);
  ~Application() override;

  // Creates the main window (running its creation handler), shows it, runs the message
  // loop until the quit request is taken, and destroys the window. Returns 0, or the
  // exit status of a run stopped by a request to stop (SIGTERM, SIGINT).
  int run();

  QString titleText() const;

  void reportCurrentFailure() override;
  void showCompletionMessage() override;
  void endRun() override;
  void recordTable(int index, const refresh::TableCounts& counts) override;

  // The report of a failure that nothing else caught: "Application Error" box. Call it
  // inside a catch block.
  void showLastResortReport();

  // Every failure escaping the handling of an event is reported and the loop goes on.
  bool notify(QObject* receiver, QEvent* event) override;

 protected:
  bool event(QEvent* event) override;

 private:
  QString toQt(const std::string& ansiText) const;
  // The box of the last-resort report, with the application title as its caption.
  void showGenericReport(const std::string& text);

  std::string title_;
  data::TextSettings settings_;
  refresh::RunRecord record_;
  bool terminated_ = false;
  bool interrupted_ = false;
  int exitStatus_ = 0;
};

}  // namespace tiermend::app
