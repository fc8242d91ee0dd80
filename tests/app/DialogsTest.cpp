// The completion dialog and the error box: layout, keys, modality and the text that
// Ctrl+C copies.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "CompletionClipboardText.h"
#include "QtTestApp.h"
#include "app/CompletionMessage.h"
#include "app/qt/CompletionDialog.h"
#include "app/qt/ErrorBox.h"
#include "platform/CodePage.h"

namespace tiermend::app {
namespace {

using testing::qtTestApp;
using testing::WithQtApp;
QString completionText() {
  return QString::fromStdString(CodePage(950).toUtf8(kCompletionMessage));
}

class Completion : public ::testing::Test, public WithQtApp {
 protected:
  CompletionDialog dialog{QStringLiteral("tiermend"), completionText()};
};

TEST_F(Completion, MessageIsHeldAsBig5Bytes) {
  EXPECT_EQ(kCompletionMessage.size(), 9u);
  EXPECT_EQ(completionText(), QStringLiteral("更新完成."));
  EXPECT_EQ(dialog.textLabel()->text(), QStringLiteral("更新完成."));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("tiermend"));
  EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("OK"));
  EXPECT_TRUE(dialog.okButton()->isDefault());
  EXPECT_TRUE(dialog.isModal());
}

TEST_F(Completion, IsLaidOutFromTheMessageFont) {
  const MessageDialogMeasures& m = dialog.measures();
  const QFontMetrics metrics(dialog.font());
  EXPECT_EQ(dialog.font(), QApplication::font("QMessageBox"));
  const int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  EXPECT_LE(m.averageCharWidth * 52, alphabet);
  EXPECT_GT((m.averageCharWidth + 1) * 52, alphabet);
  EXPECT_EQ(m.textHeight, metrics.height());
  // Margins and spacings are eighths of the text height and quarters of the average
  // character width.
  EXPECT_NEAR(m.verticalMargin, m.textHeight, 0);
  EXPECT_NEAR(m.verticalSpacing * 8.0, 10.0 * m.textHeight, 4.0);
  EXPECT_NEAR(m.horizontalMargin * 4.0, 8.0 * m.averageCharWidth, 2.0);
  EXPECT_NEAR(m.button.height() * 8.0, 14.0 * m.textHeight, 4.0);
  EXPECT_GE(m.button.width() * 4.0, 50.0 * m.averageCharWidth - 2.0);
  EXPECT_GE(m.button.width(), metrics.horizontalAdvance(QStringLiteral("OK")) + 8);

  EXPECT_EQ(dialog.textLabel()->geometry(),
            QRect(QPoint(m.horizontalMargin, m.verticalMargin), m.text));
  EXPECT_EQ(dialog.okButton()->geometry(), m.button);
  EXPECT_LE(std::abs(2 * m.button.x() + m.button.width() - m.client.width()), 1);
  EXPECT_EQ(m.button.y(), m.text.height() + m.verticalMargin + m.verticalSpacing);
  EXPECT_EQ(m.client.width(), std::max(m.text.width(), m.button.width()) + 2 * m.horizontalMargin);
  EXPECT_EQ(m.client.height(),
            m.text.height() + m.button.height() + m.verticalSpacing + 2 * m.verticalMargin);
  EXPECT_EQ(dialog.size(), m.client);
  EXPECT_EQ(m.text.width(), metrics.horizontalAdvance(QStringLiteral("更新完成.")));
}

TEST(CompletionLayout, LongTextWrapsWithinHalfTheScreen) {
  qtTestApp();
  QString words;
  for (int i = 0; i < 200; ++i) words += QStringLiteral("bracket ");
  const QFont font = QApplication::font("QMessageBox");
  const MessageDialogMeasures m = measureMessageDialog(font, words, QStringLiteral("OK"), 800);
  EXPECT_LE(m.text.width(), 400);
  EXPECT_GT(m.text.width(), 300);
  EXPECT_GE(m.text.height(), 4 * m.textHeight);
  const MessageDialogMeasures tabbed =
      measureMessageDialog(font, QStringLiteral("a\tb"), QStringLiteral("OK"), 800);
  EXPECT_GT(tabbed.text.width(), QFontMetrics(font).horizontalAdvance(QStringLiteral("a b")));
}

TEST_F(Completion, StandsCentredOnTheScreen) {
  dialog.show();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const QPoint offset = dialog.frameGeometry().center() - screen.center();
  EXPECT_LE(std::abs(offset.x()), 1);
  EXPECT_LE(std::abs(offset.y()), 1);
}

TEST_F(Completion, EnterEscapeButtonAndCloseBoxAllDismissIt) {
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);

  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);

  dialog.show();
  QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);

  dialog.show();
  dialog.close();
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(Completion, CtrlCAloneCopiesTheDialogText) {
  dialog.show();
  QClipboard* clipboard = QApplication::clipboard();
  clipboard->setText(QStringLiteral("before"));
  QTest::keyClick(&dialog, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(clipboard->text(), QStringLiteral("before"));
  QTest::keyClick(&dialog, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard->text().toStdString(), testing::kCompletionClipboardText);
  EXPECT_TRUE(dialog.isVisible());
}

TEST(ErrorBoxTest, HasTheTitleTheErrorIconAndOneOkButton) {
  qtTestApp();
  ErrorBox box(QStringLiteral("tiermend"), QStringLiteral("File not found."));
  EXPECT_EQ(box.windowTitle(), QStringLiteral("tiermend"));
  EXPECT_EQ(box.text(), QStringLiteral("File not found."));
  EXPECT_EQ(box.icon(), QMessageBox::Critical);
  ASSERT_EQ(box.buttons().size(), 1);
  EXPECT_EQ(box.buttons()[0]->text(), QStringLiteral("OK"));
  EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);

  box.show();
  QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            "---------------------------\r\n"
            "tiermend\r\n"
            "---------------------------\r\n"
            "File not found.\r\n"
            "---------------------------\r\n"
            "OK   \r\n"
            "---------------------------\r\n");
  QTest::keyClick(&box, Qt::Key_Return);
  EXPECT_FALSE(box.isVisible());
}

}  // namespace
}  // namespace tiermend::app
