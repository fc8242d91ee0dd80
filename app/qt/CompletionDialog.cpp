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

#include "app/DialogText.h"
#include "app/MessageDialogLayout.h"

namespace tiermend::app {
namespace {

int screenWidth() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().width() : 640;
}

}  // namespace

MessageDialogMeasures measureMessageDialog(const QFont& font, const QString& text,
                                           const QString& buttonCaption, int screenWidth) {
  const QFontMetrics metrics(font);
  const QRect wrapArea(0, 0, screenWidth / 2, 0);
  const QSize wrapped =
      metrics.boundingRect(wrapArea, Qt::TextWordWrap | Qt::TextExpandTabs, text).size();
  const MessageDialogLayout layout = layOutMessageDialog(
      metrics.horizontalAdvance(QString::fromLatin1(kMeasureAlphabet)), metrics.height(),
      wrapped.width(), wrapped.height(), metrics.horizontalAdvance(buttonCaption));
  MessageDialogMeasures m;
  m.averageCharWidth = layout.averageCharWidth;
  m.textHeight = layout.textHeight;
  m.horizontalMargin = layout.horizontalMargin;
  m.verticalMargin = layout.verticalMargin;
  m.horizontalSpacing = layout.horizontalSpacing;
  m.verticalSpacing = layout.verticalSpacing;
  m.text = wrapped;
  m.button =
      QRect(layout.button.left, layout.button.top, layout.button.width, layout.button.height);
  m.client = QSize(layout.clientWidth, layout.clientHeight);
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
  return QString::fromStdString(dialogClipboardText(
      windowTitle().toStdString(), label_->text().toStdString(), {button_->text().toStdString()}));
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
