// The completion dialog: its measures taken from the message font and the screen width,
// its one centred OK button, and Ctrl+C copying its text.
#include "app/qt/CompletionDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "app/DesignScaling.h"
#include "app/DialogText.h"

namespace tiermend::app {
namespace {

const QString kAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

int screenWidth() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().width() : 640;
}

}  // namespace

MessageDialogMeasures measureMessageDialog(const QFont& font, const QString& text,
                                           const QString& buttonCaption, int screenWidth) {
  const QFontMetrics metrics(font);
  MessageDialogMeasures m;
  m.averageCharWidth = metrics.horizontalAdvance(kAlphabet) / 52;
  m.textHeight = metrics.height();
  const int x = m.averageCharWidth;
  const int y = m.textHeight;
  m.horizontalMargin = mulDiv(8, x, 4);
  m.verticalMargin = mulDiv(8, y, 8);
  m.horizontalSpacing = mulDiv(10, x, 4);
  m.verticalSpacing = mulDiv(10, y, 8);
  const int buttonHeight = mulDiv(14, y, 8);
  const int buttonWidth = std::max(mulDiv(50, x, 4), metrics.horizontalAdvance(buttonCaption) + 8);

  const QRect wrapArea(0, 0, screenWidth / 2, 0);
  m.text = metrics.boundingRect(wrapArea, Qt::TextWordWrap | Qt::TextExpandTabs, text).size();
  m.client = QSize(std::max(m.text.width(), buttonWidth) + 2 * m.horizontalMargin,
                   m.text.height() + buttonHeight + m.verticalSpacing + 2 * m.verticalMargin);
  m.button =
      QRect((m.client.width() - buttonWidth) / 2,
            m.text.height() + m.verticalMargin + m.verticalSpacing, buttonWidth, buttonHeight);
  return m;
}

CompletionDialog::CompletionDialog(const QString& caption, const QString& message)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(caption);
  setFont(QApplication::font("QMessageBox"));
  setModal(true);
  const QString buttonCaption = QStringLiteral("OK");
  measures_ = measureMessageDialog(font(), message, buttonCaption, screenWidth());

  label_ = new QLabel(message, this);
  label_->setTextFormat(Qt::PlainText);
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setGeometry(
      QRect(QPoint(measures_.horizontalMargin, measures_.verticalMargin), measures_.text));

  button_ = new QPushButton(buttonCaption, this);
  button_->setGeometry(measures_.button);
  button_->setDefault(true);
  button_->setFocus();
  connect(button_, &QPushButton::clicked, this, &QDialog::accept);

  setFixedSize(measures_.client);
}

QString CompletionDialog::clipboardText() const {
  return dialogClipboardText(windowTitle(), label_->text(), {button_->text()});
}

void CompletionDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_C && event->modifiers() == Qt::ControlModifier) {
    QApplication::beep();
    QApplication::clipboard()->setText(clipboardText());
    return;
  }
  // Escape rejects (the button is the cancel button too); Enter presses the default.
  QDialog::keyPressEvent(event);
}

void CompletionDialog::showEvent(QShowEvent* event) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect frame = frameGeometry();
    const QPoint centre = screen->geometry().center();
    move(centre.x() - frame.width() / 2, centre.y() - frame.height() / 2);
  }
  QDialog::showEvent(event);
}

}  // namespace tiermend::app
