// The modal message dialog that shows the completion message: caption the application
// title, no icon, the text at the top left and a single "OK" button centred below it.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QSize>

class QLabel;
class QPushButton;

namespace tiermend::app {

// The dialog's layout, measured from its font.
struct MessageDialogMeasures {
  int averageCharWidth = 0;  // X: width of "A".."Z""a".."z" divided by 52, rounded down
  int textHeight = 0;        // Y
  int horizontalMargin = 0;
  int verticalMargin = 0;
  int horizontalSpacing = 0;
  int verticalSpacing = 0;
  QSize text;    // the word-wrapped text area
  QRect button;  // in client coordinates
  QSize client;
};

MessageDialogMeasures measureMessageDialog(const QFont& font, const QString& text,
                                           const QString& buttonCaption, int screenWidth);

class CompletionDialog : public QDialog {
 public:
  CompletionDialog(const QString& caption, const QString& message);

  const MessageDialogMeasures& measures() const { return measures_; }
  QLabel* textLabel() const { return label_; }
  QPushButton* okButton() const { return button_; }
  // The text that Ctrl+C puts on the clipboard.
  QString clipboardText() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  MessageDialogMeasures measures_;
  QLabel* label_;
  QPushButton* button_;
};

}  // namespace tiermend::app
