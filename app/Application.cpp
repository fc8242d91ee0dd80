#include "app/Application.h"

#include <memory>

#include "app/AppTitle.h"
#include "app/CompletionDialog.h"
#include "app/ErrorBox.h"
#include "app/FailureReport.h"
#include "app/FullStop.h"
#include "app/Tiermend1.h"

namespace tiermend::app {
namespace {

const QEvent::Type kQuitRequest = static_cast<QEvent::Type>(QEvent::registerEventType());

std::string moduleFileName() {
  const std::string path = executablePath();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv),
      title_(titleFromExecutablePath(executablePath())),
      settings_{CodePage::fromProcessLocale(), RegionalSettings::fromProcessLocale()} {
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
  auto window = std::make_unique<TTiermendFm1>(*this, settings_);
  try {
    window->FormCreate();
  } catch (...) {
    reportCurrentFailure();
  }
  window->show();
  if (!terminated_) exec();
  return 0;
}

void Application::reportCurrentFailure() {
  const FailureInfo failure = describeCurrentException();
  switch (failure.kind) {
    case FailureInfo::Kind::SilentAbort:
      return;
    case FailureInfo::Kind::ToolFailure:
      showErrorBox(titleText(), toQt(withFullStop(failure.message, settings_.codePage)));
      return;
    case FailureInfo::Kind::Foreign:
      showGenericReport(failure.className, failure.message);
      return;
  }
}

void Application::showGenericReport(const std::string& className, const std::string& message) {
  const void* address = reinterpret_cast<const void*>(&describeCurrentException);
  ErrorBox box(titleText(), toQt(lastResortText(className, moduleFileName(), address, message)));
  box.exec();
}

void Application::showLastResortReport() {
  const FailureInfo failure = describeCurrentException();
  const void* address = reinterpret_cast<const void*>(&describeCurrentException);
  ErrorBox box(QStringLiteral("Application Error"),
               toQt(lastResortText(failure.className, moduleFileName(), address, failure.message)));
  box.exec();
}

void Application::showCompletionMessage() {
  CompletionDialog dialog(titleText(),
                          QString::fromStdString(CodePage(950).toUtf8(kCompletionMessage)));
  dialog.exec();
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
