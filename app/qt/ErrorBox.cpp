// The error box: its caption, text, icon and OK button, and Ctrl+C copying its text.
#include "app/qt/ErrorBox.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

#include "app/DialogText.h"

namespace tiermend::app {

ErrorBox::ErrorBox(const QString& caption, const QString& text, Icon icon) {
  setWindowTitle(caption);
  setText(text);
  setTextFormat(Qt::PlainText);
  setIcon(icon);
  addButton(QStringLiteral("OK"), AcceptRole);
  setWindowModality(Qt::ApplicationModal);
}

QString ErrorBox::clipboardText() const {
  std::vector<std::string> captions;
  for (const QAbstractButton* button : buttons()) captions.push_back(button->text().toStdString());
  return QString::fromStdString(
      dialogClipboardText(windowTitle().toStdString(), text().toStdString(), captions));
}

void ErrorBox::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QApplication::clipboard()->setText(clipboardText());
    return;
  }
  QMessageBox::keyPressEvent(event);
}

void showErrorBox(const QString& caption, const QString& text) {
  // A button held down or a drag in progress ends before the box takes the input.
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  ErrorBox box(caption, text);
  box.exec();
}

}  // namespace tiermend::app
