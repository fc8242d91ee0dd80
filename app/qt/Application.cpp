// The window run: the main window created, the message loop run until the quit request,
// and every failure that reaches the loop shown in an error box and recorded.
#include "app/qt/Application.h"

#include <QTimer>
#include <iostream>
#include <memory>

#include "app/AppTitle.h"
#include "app/CompletionMessage.h"
#include "app/FailureReport.h"
#include "app/qt/CompletionDialog.h"
#include "app/qt/ErrorBox.h"
#include "app/qt/Tiermend1.h"
#include "platform/Interruption.h"
#include "platform/Process.h"

namespace tiermend::app {
namespace {

const QEvent::Type kQuitRequest = static_cast<QEvent::Type>(QEvent::registerEventType());
// How often the message loop looks for a request to stop the run (SIGTERM, SIGINT).
constexpr int kInterruptionPollMilliseconds = 100;

}  // namespace

Application::Application(int& argc, char** argv, LogSink& log)
    : QApplication(argc, argv),
      title_(titleFromExecutablePath(executablePath(), CodePage::fromProcessLocale())),
      settings_{CodePage::fromProcessLocale(), RegionalSettings::fromProcessLocale()},
      record_(log, settings_.codePage) {
  // The run ends on the quit request alone, never because a dialog was the last window.
  setQuitOnLastWindowClosed(false);
}

Application::~Application() = default;

QString Application::toQt(const std::string& ansiText) const {
  return QString::fromStdString(settings_.codePage.toUtf8(ansiText));
}

QString Application::titleText() const {
  return toQt(title_);
}

int Application::run() {
  record_.started();
  // A request to stop that comes while the window waits (for a button, a box, the
  // completion message) ends the run too; during a refresh the step itself stops.
  QTimer interruptionWatch;
  QObject::connect(&interruptionWatch, &QTimer::timeout, [this] {
    if (interruptionRequested()) {
      try {
        throwIfInterrupted();
      } catch (...) {
        reportCurrentFailure();
      }
    }
  });
  interruptionWatch.start(kInterruptionPollMilliseconds);
  auto window = std::make_unique<TTiermendFm1>(*this, settings_);
  try {
    window->FormCreate();
  } catch (...) {
    reportCurrentFailure();
  }
  window->show();
  if (!terminated_) exec();
  return exitStatus_;
}

void Application::reportCurrentFailure() {
  if (interrupted_) return;
  const FailureNotice notice = recordCurrentFailure(record_, settings_.codePage);
  if (const int signal = interruptionRequested()) {
    // No box: the run ends, every loop and dialog with it, as the request asked.
    interrupted_ = true;
    std::cerr << notice.text << std::endl;
    terminated_ = true;
    exitStatus_ = interruptedExitStatus(signal);
    exit(exitStatus_);
    return;
  }
  if (notice.form == FailureNotice::Form::ToolMessage) showErrorBox(titleText(), toQt(notice.text));
  if (notice.form == FailureNotice::Form::LastResort) showGenericReport(notice.text);
}

void Application::showGenericReport(const std::string& text) {
  ErrorBox box(titleText(), toQt(text));
  box.exec();
}

void Application::showLastResortReport() {
  const FailureInfo failure = describeCurrentException();
  record_.failed(failure.message);
  ErrorBox box(QStringLiteral("Application Error"), toQt(lastResortText(failure)));
  box.exec();
}

void Application::showCompletionMessage() {
  record_.completed();
  CompletionDialog dialog(titleText(),
                          QString::fromStdString(CodePage(950).toUtf8(kCompletionMessage)));
  dialog.exec();
}

void Application::recordTable(int index, const refresh::TableCounts& counts) {
  record_.tableDone(index, counts);
}

void Application::endRun() {
  postEvent(this, new QEvent(kQuitRequest));
}

bool Application::event(QEvent* event) {
  if (event->type() == kQuitRequest) {
    terminated_ = true;
    exit(0);
    return true;
  }
  return QApplication::event(event);
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    reportCurrentFailure();
    return false;
  }
}

}  // namespace tiermend::app
