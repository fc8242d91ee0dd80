// The error box: a modal message box with the application title as caption, the error
// icon and a single OK button. Ctrl+C copies its contents as plain text.
#pragma once

#include <QMessageBox>

namespace tiermend::app {

class ErrorBox : public QMessageBox {
 public:
  ErrorBox(const QString& caption, const QString& text, Icon icon = Critical);

  // The text that Ctrl+C puts on the clipboard.
  QString clipboardText() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// Shows an error box and returns once it is closed.
void showErrorBox(const QString& caption, const QString& text);

}  // namespace tiermend::app
