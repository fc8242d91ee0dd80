// The main window: its designed controls and fonts, scaled to the display, and its
// handlers that run the start-up sequence and the refresh steps.
#include "app/qt/Tiermend1.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPalette>

#include "app/DesignScaling.h"
#include "app/MainWindowDesign.h"
#include "app/qt/FontSubstitutes.h"
#include "refresh/BracketTables.h"
#include "refresh/RefreshStep.h"
#include "refresh/StartUpSequence.h"

namespace tiermend::app {
namespace {

constexpr QPoint kDesignedPosition(kMainLeft, kMainTop);
constexpr QSize kDesignedOuterSize(kMainOuterWidth, kMainOuterHeight);

QFont designFont(const FontDesign& design) {
  QFont font(substituteFontFamily(QString::fromUtf8(design.familyUtf8)));
  font.setStyleHint(fontStyleHint(QString::fromUtf8(design.familyUtf8)));
  font.setPixelSize(-design.height);
  font.setBold(design.bold);
  return font;
}

QRect toQRect(const Rect& rect) {
  return QRect(rect.left, rect.top, rect.width, rect.height);
}

Rect fromQRect(const QRect& rect) {
  return {rect.x(), rect.y(), rect.width(), rect.height()};
}

}  // namespace

TTiermendFm1::TTiermendFm1(AppShell& shell, const data::TextSettings& settings)
    : ADOC1("ADOC1", settings),
      ADOC2("ADOC2", settings),
      Label9(this),
      Button1(this),
      Button2(this),
      Button3(this),
      ADOQ1("ADOQ1", ADOC1),
      ADOQ2("ADOQ2", ADOC2),
      DBGrid1(this, DataSource1),
      DBGrid2(this, DataSource2),
      Button4(this),
      shell_(shell),
      settings_(settings),
      buttons_{&Button1, &Button2, &Button3, &Button4} {
  ADOC1.setConnectionString(kPresetSourceConnectionString);
  ADOC2.setConnectionString(kPresetTargetConnectionString);
  ADOQ1.addSql(kInitialStatement);
  ADOQ2.addSql(kInitialStatement);
  DataSource1.DataSet = &ADOQ1;
  DataSource2.DataSet = &ADOQ2;
  applyDesign();
  bindHandlers();
  scaleToDisplay(QFontMetrics(font()).height());
}

TTiermendFm1::~TTiermendFm1() = default;

QString TTiermendFm1::shownCaption(const char* utf8) const {
  // The design holds Unicode captions; the window shows them as text of the ANSI code
  // page, so characters the code page lacks come out as its default character.
  const CodePage& codePage = settings_.codePage;
  return QString::fromStdString(codePage.toUtf8(codePage.fromUtf8(utf8)));
}

void TTiermendFm1::applyDesign() {
  setWindowTitle(shownCaption(kMainCaptionUtf8));
  setFont(designFont(kWindowFont));
  QPalette windowPalette = palette();
  windowPalette.setColor(QPalette::Window, windowPalette.color(QPalette::Button));
  setPalette(windowPalette);
  setAutoFillBackground(true);

  Label9.setGeometry(toQRect(kTitleLabelRect));
  Label9.setFont(designFont(kTitleLabelFont));
  QPalette labelPalette = Label9.palette();
  labelPalette.setColor(QPalette::WindowText,
                        QColor(kTitleLabelRed, kTitleLabelGreen, kTitleLabelBlue));
  Label9.setPalette(labelPalette);
  Label9.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label9.setText(shownCaption(kTitleLabelCaptionUtf8));

  for (size_t i = 0; i < buttons_.size(); ++i) {
    TButton& button = *buttons_[i];
    button.setGeometry(toQRect(kButtonRects[i]));
    button.setFont(designFont(kButtonFont));
    button.setText(shownCaption(refresh::kBracketTables[i].captionUtf8));
    button.setAutoDefault(false);
    button.setEnabled(true);
  }

  DBGrid1.setGeometry(toQRect(kGrid1Rect));
  DBGrid2.setGeometry(toQRect(kGrid2Rect));
  for (DBGrid* grid : {&DBGrid1, &DBGrid2}) {
    grid->horizontalHeader()->setFont(designFont(kGridTitleFont));
  }

  setTabOrder(&Button1, &Button2);
  setTabOrder(&Button2, &Button3);
  setTabOrder(&Button3, &DBGrid1);
  setTabOrder(&DBGrid1, &DBGrid2);
  setTabOrder(&DBGrid2, &Button4);

  outerSize_ = kDesignedOuterSize;
  move(kDesignedPosition);
  resize(outerSize_);
}

void TTiermendFm1::scaleToDisplay(int textHeight) {
  if (textHeight == kDesignTextHeight) return;
  outerSize_ = QSize(mulDiv(outerSize_.width(), textHeight, kDesignTextHeight),
                     mulDiv(outerSize_.height(), textHeight, kDesignTextHeight));
  resize(outerSize_);
  for (QWidget* control : std::initializer_list<QWidget*>{&Label9, &Button1, &Button2, &Button3,
                                                          &DBGrid1, &DBGrid2, &Button4}) {
    control->setGeometry(toQRect(scaleRect(fromQRect(control->geometry()), textHeight)));
  }
  for (QWidget* control :
       std::initializer_list<QWidget*>{&Label9, &Button1, &Button2, &Button3, &Button4}) {
    QFont scaled = control->font();
    scaled.setPixelSize(mulDiv(scaled.pixelSize(), textHeight, kDesignTextHeight));
    control->setFont(scaled);
  }
}

void TTiermendFm1::bindHandlers() {
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
  Button3.OnClick = [this] { Button3Click(); };
  Button4.OnClick = [this] { Button4Click(); };
  for (TButton* button : buttons_) {
    connect(button, &QPushButton::clicked, this, [this, button] { userClick(*button); });
  }
}

void TTiermendFm1::FormCreate() {
  refresh::runStartUpSequence(ADOC2, ADOC1, *this, linkFields_);
}

void TTiermendFm1::Button1Click() {
  refresh::runRefreshStep(0, ADOQ2, ADOQ1, *this);
}
void TTiermendFm1::Button2Click() {
  refresh::runRefreshStep(1, ADOQ2, ADOQ1, *this);
}
void TTiermendFm1::Button3Click() {
  refresh::runRefreshStep(2, ADOQ2, ADOQ1, *this);
}
void TTiermendFm1::Button4Click() {
  refresh::runRefreshStep(3, ADOQ2, ADOQ1, *this);
}

void TTiermendFm1::buttonAction(TButton& button) {
  ModalResult = button.ModalResult;
  if (button.OnClick) button.OnClick();
}

void TTiermendFm1::userClick(TButton& button) {
  try {
    buttonAction(button);
  } catch (...) {
    shell_.reportCurrentFailure();
  }
}

void TTiermendFm1::setButtonEnabled(int index, bool enabled) {
  button(index).setEnabled(enabled);
}
void TTiermendFm1::invokeButtonAction(int index) {
  buttonAction(button(index));
}
void TTiermendFm1::showCompletionMessage() {
  shell_.showCompletionMessage();
}
void TTiermendFm1::endRun() {
  shell_.endRun();
}

void TTiermendFm1::tableDone(int index, const refresh::TableCounts& counts) {
  shell_.recordTable(index, counts);
}

void TTiermendFm1::closeEvent(QCloseEvent* event) {
  shell_.endRun();
  event->accept();
}

void TTiermendFm1::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  fitFrameToDesign();
}

void TTiermendFm1::fitFrameToDesign() {
  // The designed size and place include the window frame, which is known only once a
  // window manager has framed the shown window.
  if (frameFitted_ || !isVisible()) return;
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  if (frame == client) return;
  frameFitted_ = true;
  resize(outerSize_ - (frame.size() - client.size()));
  move(kDesignedPosition);
}

}  // namespace tiermend::app
